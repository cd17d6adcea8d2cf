#include "ui/status_panel_bar.h"

#include <QHBoxLayout>
#include <QLabel>

StatusPanelBar::StatusPanelBar(const QString& objectName, const QList<Panel>& panels,
                               QWidget* parent)
    : QFrame(parent)
{
    setObjectName(objectName);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 1, 0, 1);
    layout->setSpacing(2);
    for (int i = 0; i < panels.size(); ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(objectName + QStringLiteral("_Panel%1").arg(i));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(panels[i].alignment | Qt::AlignVCenter);
        label->setTextFormat(Qt::PlainText);
        if (i + 1 < panels.size())
            label->setFixedWidth(panels[i].width);
        else
            label->setMinimumWidth(panels[i].width);
        layout->addWidget(label, i + 1 < panels.size() ? 0 : 1);
        m_panels.append(label);
    }
    setFixedHeight(fontMetrics().height() + 8);
}

void StatusPanelBar::setPanelText(int panel, const QString& text)
{
    if (QLabel* label = m_panels.value(panel))
        label->setText(text);
}

QString StatusPanelBar::panelText(int panel) const
{
    const QLabel* label = m_panels.value(panel);
    return label ? label->text() : QString();
}
