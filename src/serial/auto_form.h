#pragma once

#include <QDialog>
#include <QRect>
#include <QString>

#include <optional>

class DialogService;
class QLabel;
class QLineEdit;
class QPushButton;

// "自動切替": asks for the selection number of the automatic port switch.
class TAutoForm : public QDialog
{
    Q_OBJECT
public:
    explicit TAutoForm(DialogService& dialogs, QWidget* parent = nullptr);

    // The main window's geometry as it stood when the port set-up began; the
    // dialog centres itself on it.
    void setMainWindowGeometry(const QRect& geometry) { m_mainGeometry = geometry; }
    // The number confirmed with "ＯＮ".
    const QString& SelectionNumber() const { return m_selectionNumber; }

    void FormShow();
    // True when the key is dropped.
    bool LabeledEdit1KeyPress(QChar key);
    void Button1Click();

    QLineEdit* LabeledEdit1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DialogService& m_dialogs;
    QRect m_mainGeometry;
    QString m_selectionNumber;
};

// Shows the dialog modally; the confirmed number, or nothing when cancelled.
std::optional<QString> RunAutoForm(QWidget* parent, const QRect& mainGeometry,
                                   DialogService& dialogs);
