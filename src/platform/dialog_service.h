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

// The file dialog of the program, used to open and to save. The filter is
// the program's own text: description|pattern|description|pattern|...
struct FileDialogRequest
{
    enum class Mode { Open, Save };
    Mode mode = Mode::Open;
    QString title;
    QString folder;
    QString fileName;
    QString filter;
    int filterIndex = 1; // 1-based
    QString defaultSuffix;
};

struct FileDialogAnswer
{
    bool accepted = false;
    QString path;
    int filterIndex = 1;
};

// A font as the editor settings keep it; colours are 0x00BBGGRR values.
struct FontChoice
{
    QString family;
    int pointSize = 12;
    int color = 0;
};

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

    virtual FileDialogAnswer fileDialog(const FileDialogRequest& request) = 0;
    // False when cancelled; `font` is changed only when confirmed.
    virtual bool fontDialog(FontChoice& font) = 0;
    virtual bool colorDialog(int& color) = 0;
    virtual void beep() {}
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

    FileDialogAnswer fileDialog(const FileDialogRequest& request) override;
    bool fontDialog(FontChoice& font) override;
    bool colorDialog(int& color) override;
    void beep() override { ++m_beeps; }

    // Scripted answers of the other dialogs; an empty script cancels.
    void answerFile(const QString& path, int filterIndex = 1)
    {
        m_files.append(FileDialogAnswer{true, path, filterIndex});
    }
    void answerFileCancel() { m_files.append(FileDialogAnswer()); }
    void answerFont(const FontChoice& font) { m_fonts.append(font); }
    void answerColor(int color) { m_colors.append(color); }
    const QList<FileDialogRequest>& fileRequests() const { return m_fileRequests; }
    int beeps() const { return m_beeps; }

private:
    QList<BoxRequest> m_shown;
    QList<int> m_answers;
    int m_defaultAnswer = 0; // 0: the first button offered
    QList<FileDialogAnswer> m_files;
    QList<FileDialogRequest> m_fileRequests;
    QList<FontChoice> m_fonts;
    QList<int> m_colors;
    int m_beeps = 0;
};
