#pragma once

#include "app/command_line.h"
#include "app/configuration.h"
#include "editor/editing_rules.h"
#include "nctools/program_index.h"
#include "profiles/profile.h"
#include "transfer/transfer_state.h"

#include <QHash>
#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>

class DesktopServices;
class GuiSerialView;
class DialogService;
class NcEditor;
class TransferLink;
struct SendJob;
class ProgramIndexModel;
class QAction;
class QActionGroup;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QStackedWidget;
class QTimer;
class QToolButton;
class StatusPanelBar;
class TOptionForm;
class TUser;

// The main window. It owns the program's state and its widgets, and wires
// every command to the class that carries it out.
class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    // `dialogs` answers the message boxes; null means real boxes.
    explicit TMainForm(const QStringList& arguments, DialogService* dialogs = nullptr,
                       QWidget* parent = nullptr);
    ~TMainForm() override;

    // State the rest of the program reads and writes.
    Configuration& config() { return m_config; }
    Options& options() { return m_config.options; }
    const ActiveProfile& activeProfile() const { return m_activeProfile; }
    TransferState& transfer() { return m_transfer; }
    DialogService& dialogs() { return *m_dialogs; }
    int SetNo() const { return m_config.SetNo; }
    int TitleKind() const { return m_titleKind; }
    const QString& VersionSuffix() const { return m_versionSuffix; }
    bool logViewActive() const { return m_logViewActive; }
    const QString& DocumentName() const { return m_documentName; }
    NcEditor* editor() const { return RichEdit1; }
    const ProgramIndex& programIndex() const { return m_programIndex; }
    const QString& ProgramLetter() const { return m_programLetter; }
    QTimer* timer4() const { return Timer4; }

    // Set when no index rebuild is pending; callers that need a fresh index
    // clear it and wait. Waiters also set `waitingForIndexScan` so that the
    // abort button can end the wait.
    bool IndexScanDone = false;
    bool waitingForIndexScan = false;
    int ScanLineCount = 0;

    // Operations other parts use.
    void LoadProfile(int profileNumber);
    void setTitle(int kind); // stores the kind and rebuilds the caption
    void SetEditorStatus(int panel, const QString& text);
    void SetTransferStatus(int panel, const QString& text);
    void SetTransferMode(bool active);
    void SetScanMode(bool active);
    void ShowTransferBar();
    void ShowProgramNumberBar();
    QAction* action(const QString& objectName) const { return m_actions.value(objectName); }

    // The line a transfer talks over; made anew for every transfer (never
    // null). Tests put a line in memory here.
    using LinkFactory =
        std::function<std::unique_ptr<TransferLink>(TransferState& state, const SendJob& job)>;
    void setLinkFactory(LinkFactory factory) { m_linkFactory = std::move(factory); }
    // Keyboard state, screen saver, mail, power-off; tests put a recorder here.
    void setDesktopServices(DesktopServices* services) { m_desktop = services; }
    DesktopServices& desktop();
    bool transferRunning() const;
    // Blocks until the transfer thread has ended (the window is closing).
    void waitForTransferThread();

    // The file's size, or nothing when it could not be read (reported).
    std::optional<quint64> LoadDocument(NcEditor* editor, const QString& path, bool mainDocument);
    QString FormatDocumentSize(double bytes);
    void SaveChangesPrompt(const QString& name, const QString& dialogTitle);
    void AddRecentFile(const QString& path);
    void RebuildRecentMenu();
    void ShowCaretPosition();
    void ScrollCaretLine(qsizetype position, qsizetype length);
    void SelectIndexEntryForLine(int line);
    void ScanProgramNumbers(int line, int column);
    bool CancelIndexScan();
    void clearProgramIndex();
    // Adds an entry as the send stream does when the index was empty.
    void addProgramIndexEntry(const ProgramIndexEntry& entry);

public slots:
    // Document files
    void open1Click();
    void FileOpenClick();
    void FileSaveClick();
    void FileSaveAsClick();
    void MenuFile0Click();
    void FileExit1Click();
    void SaveDialog1TypeChange(int filterIndex);
    void User_opClick();
    void FileSearchClick();
    // Editing
    void EditUndoClick();
    void EditCutClick();
    void EditCopyClick();
    void EditPasteClick();
    void EditDeleteClick();
    void EditAllClick();
    void EditDateTimeClick();
    void EditDateClick();
    void EditFontClick();
    void screen_colorClick();
    void font_colorClick();
    void EditMenuClick();
    void FindMenuClick();
    void RichEdit1Change();
    void RichEdit1MouseDown();
    void RichEdit1MouseWheel(int delta);
    void RichEdit1SelectionChange();
    // Program-number index
    void BitBtn1Click();
    void Timer4Timer();
    void ComboBox1Click(int row);
    void FileNukidasiClick();
    void ono_opClick();
    // Profiles, options, logs
    void Set1Click();
    void setting_opClick();
    void icon_showClick();
    void send_stepClick();
    void Menu_sendClick();
    // Transfers (their commands arrive with the transfer subsystem)
    void SpeedButton10Click();
    void SpeedButton13Click();
    void SpeedButton14Click();
    void SendClick();
    void Timer1Timer();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class CommandLine;
    friend class CommandLine;
    class SendViewImpl;
    friend class SendViewImpl;
    struct RunningSend;

    void startSendStream();
    void finishSend(bool succeeded);
    void requestAbort();

    void buildWidgets();
    void buildToolbar();
    void buildProgramNumberBar();
    void buildMenus();
    void wireCommands();
    QAction* addItem(QMenu* menu, const char* objectName, const QString& caption,
                     const QKeySequence& shortcut = {}, int tag = 0);
    QToolButton* speedButton(int number) const;

    void FormCreate(const QStringList& arguments);
    void FormShow();
    bool FormCloseQuery();
    void FormClose();
    void StartPendingTransfer();
    void showLog(int kind);
    void closeLogView();
    void setControlsEnabled(bool enabled, bool includeTray, bool includeLogMenu);
    void applyEditorAppearance();
    void setFormattingRectangle();
    void updateMenuFont();
    // Loads a file as the document: size, names, title, recent files; false
    // when it could not be read.
    bool openDocument(const QString& path);
    bool saveDocument();                          // writes DocumentName
    bool isModified() const;
    void setModifiedOff();
    void emptyEditor();
    int fontPixelHeight() const;

    // Editor events
    QChar RichEdit1KeyPress(QChar typed);
    void RichEdit1KeyDown(QKeyEvent* event, bool afterHandling);
    void completeWord();

    std::unique_ptr<DialogService> m_ownDialogs;
    DialogService* m_dialogs = nullptr;
    std::unique_ptr<DesktopServices> m_ownDesktop;
    DesktopServices* m_desktop = nullptr;
    LinkFactory m_linkFactory;
    std::unique_ptr<GuiSerialView> m_serialView;
    std::unique_ptr<SendViewImpl> m_sendView;
    std::unique_ptr<RunningSend> m_running;

    Configuration m_config;
    ActiveProfile m_activeProfile;
    TransferState m_transfer;
    CommandLineState m_commandLine;

    // Document
    QString m_documentName;
    QString m_dialogFileName; // the file name SaveDialog1 carries
    QString m_saveDialogTitle = QStringLiteral("データ保存");
    QString m_saveDialogFilter; // design-time filter until the first Save As
    QString m_fileTypeFilter;
    QString m_defaultExt;
    double m_documentSize = 0;
    QRect m_windowGeometry;

    // Editing window
    int m_titleKind = 0;
    QString m_versionSuffix;
    QString m_osText;
    bool m_abortPending = false;
    bool m_insertMode = true;
    bool m_logViewActive = false;
    bool m_startupIdleDone = true;
    bool m_shownOnce = false;
    bool m_closing = false;
    int m_caretLine = 1;
    int m_caretColumn = 1;
    WordCompletion m_completion;

    // Program-number index
    ProgramIndex m_programIndex;
    ProgramIndexModel* m_indexModel = nullptr;
    QString m_programLetter;

    // Widgets, named as the rest of the program knows them.
    QFrame* Panel1 = nullptr;
    QFrame* Panel2 = nullptr;
    QList<QToolButton*> m_speedButtons;
    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QToolButton* BitBtn1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* LabeledEdit1 = nullptr;
    QLineEdit* LabeledEdit2 = nullptr;
    QStackedWidget* m_editorStack = nullptr;
    NcEditor* RichEdit1 = nullptr;
    NcEditor* RichEdit2 = nullptr;
    StatusPanelBar* StatusBar1 = nullptr;
    StatusPanelBar* StatusBar2 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer4 = nullptr;
    QActionGroup* m_profileGroup = nullptr;
    QActionGroup* m_trayProfileGroup = nullptr;
    QHash<QString, QAction*> m_actions;
    QHash<QString, QMenu*> m_menus;
    TOptionForm* OptionForm = nullptr;
    TUser* User = nullptr;
};
