#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The message boxes of the program. Two kinds exist: the message dialog, whose
// caption follows from its icon ("警告", "エラー", "情報", "確認") and whose
// buttons read "はい(&Y)", "いいえ(&N)", "OK", "キャンセル"; and the system box
// with an explicit caption. Boxes that belong to the main window sit at its
// left + 50, top + 50. Behind an interface so tests answer from a script.
enum class BoxIcon { None, Warning, Error, Information, Confirmation };

namespace BoxButton {
enum : int { None = 0, Yes = 1, No = 2, Ok = 4, Cancel = 8 };
}

struct BoxRequest
{
    enum class Kind { MessageDialog, SystemBox, ShowMessage };
    Kind kind = Kind::MessageDialog;
    QString caption;
    QString text;
    BoxIcon icon = BoxIcon::None;
    int buttons = BoxButton::Ok;
    bool atOwnerOffset = true; // at the main window's left + 50, top + 50
};

QString captionForIcon(BoxIcon icon);

class DialogService
{
public:
    virtual ~DialogService() = default;

    // Shows the box and returns the button pressed (Cancel when closed).
    virtual int showBox(const BoxRequest& request) = 0;

    // Shorthands for the three kinds.
    int messageDialog(const QString& text, BoxIcon icon, int buttons, bool atOwnerOffset = true);
    int systemBox(const QString& text, const QString& caption, BoxIcon icon, int buttons);
    void showMessage(const QString& text);
};

// Answers boxes from a script and records every box shown.
class ScriptedDialogService : public DialogService
{
public:
    int showBox(const BoxRequest& request) override;

    void answer(int button) { m_answers.append(button); }
    // Used when the script has run out of answers.
    void setDefaultAnswer(int button) { m_defaultAnswer = button; }
    const QList<BoxRequest>& shown() const { return m_shown; }
    QStringList shownTexts() const;
    void clear() { m_shown.clear(); m_answers.clear(); }

private:
    QList<BoxRequest> m_shown;
    QList<int> m_answers;
    int m_defaultAnswer = 0; // 0: the first button offered
};
