#pragma once

#include "app/command_line.h"
#include "app/configuration.h"
#include "profiles/profile.h"
#include "transfer/transfer_state.h"

#include <QHash>
#include <QMainWindow>

#include <memory>

class DialogService;
class QAction;
class QActionGroup;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QStackedWidget;
class QTimer;
class QToolButton;
class StatusPanelBar;
class TOptionForm;

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
    const CommandLineState& commandLine() const { return m_commandLine; }
    DialogService& dialogs() { return *m_dialogs; }
    int SetNo() const { return m_config.SetNo; }
    int TitleKind() const { return m_titleKind; }
    const QString& VersionSuffix() const { return m_versionSuffix; }
    bool logViewActive() const { return m_logViewActive; }
    const QString& DocumentName() const { return m_documentName; }

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

public slots:
    void FileExit1Click();
    void Set1Click();
    void setting_opClick();
    void icon_showClick();
    void send_stepClick();
    void ono_opClick();
    void Menu_sendClick();
    void SpeedButton10Click();
    void SpeedButton13Click();
    void EditMenuClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class CommandLine;
    friend class CommandLine;

    void buildWidgets();
    void buildToolbar();
    void buildProgramNumberBar();
    void buildMenus();
    QAction* addItem(QMenu* menu, const char* objectName, const QString& caption,
                     const QKeySequence& shortcut = {}, int tag = 0);

    void FormCreate(const QStringList& arguments);
    void FormShow();
    bool FormCloseQuery();
    void FormClose();
    void StartPendingTransfer();
    void showLog(int kind);
    void closeLogView();
    void openDocument(const QString& path);
    void setControlsEnabled(bool enabled, bool includeTray, bool includeLogMenu);
    void applyEditorAppearance();

    std::unique_ptr<DialogService> m_ownDialogs;
    DialogService* m_dialogs = nullptr;

    Configuration m_config;
    ActiveProfile m_activeProfile;
    TransferState m_transfer;
    CommandLineState m_commandLine;

    QString m_documentName;
    int m_titleKind = 0;
    QString m_versionSuffix;
    QString m_osText;
    bool m_abortPending = false;
    bool m_insertMode = true;
    bool m_logViewActive = false;
    bool m_startupIdleDone = true;
    bool m_shownOnce = false;
    bool m_closing = false;

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
    QPlainTextEdit* RichEdit1 = nullptr;
    QPlainTextEdit* RichEdit2 = nullptr;
    StatusPanelBar* StatusBar1 = nullptr;
    StatusPanelBar* StatusBar2 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QActionGroup* m_profileGroup = nullptr;
    QActionGroup* m_trayProfileGroup = nullptr;
    QHash<QString, QAction*> m_actions;
    QHash<QString, QMenu*> m_menus;
    TOptionForm* OptionForm = nullptr;
};
