#pragma once

#include <QFrame>
#include <QList>

class QLabel;

// A status bar of fixed-width panels, numbered from 0; the last one takes the
// remaining width.
class StatusPanelBar : public QFrame
{
    Q_OBJECT
public:
    struct Panel
    {
        int width;
        Qt::Alignment alignment;
    };
    StatusPanelBar(const QString& objectName, const QList<Panel>& panels, QWidget* parent = nullptr);

    void setPanelText(int panel, const QString& text);
    QString panelText(int panel) const;
    QLabel* panel(int panel) const { return m_panels.value(panel); }
    int panelCount() const { return int(m_panels.size()); }

private:
    QList<QLabel*> m_panels;
};
