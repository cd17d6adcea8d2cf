#include "ui/main_form.h"

#include "app/option_form.h"
#include "platform/app_paths.h"
#include "platform/cp932.h"
#include "platform/ini_file.h"
#include "platform/qt_dialog_service.h"
#include "profiles/profile_numbers.h"
#include "transfer/transfer_log.h"
#include "ui/status_panel_bar.h"
#include "ui/window_title.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kUntitled = QStringLiteral("無題");

QColor colorFromValue(int value)
{
    // Red in the lowest byte, then green, then blue.
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

} // namespace

// The main window's side of the command line.
class TMainForm::CommandLine : public CommandLineHost
{
public:
    explicit CommandLine(TMainForm& form) : m_form(form) {}

    QString dataFolder() const override { return m_form.m_config.DataFolder; }
    void collectFile(const QString& file) override
    {
        m_form.RichEdit1->clear();
        m_form.openDocument(file);
        QFile collection(AppPaths::collectionFile());
        if (!collection.open(QIODevice::Append)) {
            m_form.dialogs().messageDialog(AppPaths::collectionFile() +
                                               QStringLiteral(" に書き込めません"),
                                           BoxIcon::Error, BoxButton::Ok);
            return;
        }
        QString text = m_form.RichEdit1->toPlainText();
        if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
            text += QLatin1Char('\n');
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        collection.write(Cp932::encode(text));
    }
    void openForSending(const QString& file) override
    {
        m_form.RichEdit1->clear();
        m_form.openDocument(file);
    }
    void saveChangesPrompt() override
    {
        // The editor is empty at start-up unless a collected file was loaded,
        // which is never marked as changed.
    }
    QString collectionFile() const override { return AppPaths::collectionFile(); }
    void selectProfile(int profileNumber) override { m_form.m_config.SetNo = profileNumber; }
    DialogService& dialogs() override { return m_form.dialogs(); }

private:
    TMainForm& m_form;
};

TMainForm::TMainForm(const QStringList& arguments, DialogService* dialogs, QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    if (dialogs) {
        m_dialogs = dialogs;
    } else {
        m_ownDialogs = std::make_unique<QtDialogService>(this);
        m_dialogs = m_ownDialogs.get();
    }
    buildWidgets();
    OptionForm = new TOptionForm(m_config.options, *m_dialogs, this);
    FormCreate(arguments);
}

TMainForm::~TMainForm() = default;

// ---------------------------------------------------------------- widgets

void TMainForm::buildWidgets()
{
    QFont formFont(QStringLiteral("ＭＳ Ｐゴシック"));
    formFont.setPointSize(9);
    setFont(formFont);
    setMinimumSize(626, 400);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    buildToolbar();
    buildProgramNumberBar();
    layout->addWidget(Panel1);
    layout->addWidget(Panel2);

    m_editorStack = new QStackedWidget(central);
    RichEdit1 = new QPlainTextEdit(m_editorStack);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit2 = new QPlainTextEdit(m_editorStack);
    RichEdit2->setObjectName(QStringLiteral("RichEdit2"));
    RichEdit2->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit2->setReadOnly(true);
    m_editorStack->addWidget(RichEdit1);
    m_editorStack->addWidget(RichEdit2);
    layout->addWidget(m_editorStack, 1);

    StatusBar2 = new StatusPanelBar(QStringLiteral("StatusBar2"),
                                    {{100, Qt::AlignLeft},
                                     {180, Qt::AlignLeft},
                                     {100, Qt::AlignHCenter},
                                     {80, Qt::AlignLeft},
                                     {40, Qt::AlignHCenter},
                                     {50, Qt::AlignLeft},
                                     {50, Qt::AlignLeft}},
                                    central);
    StatusBar2->setPanelText(6, QStringLiteral("送信:"));
    StatusBar1 = new StatusPanelBar(QStringLiteral("StatusBar1"),
                                    {{120, Qt::AlignLeft},
                                     {60, Qt::AlignHCenter},
                                     {55, Qt::AlignHCenter},
                                     {60, Qt::AlignHCenter},
                                     {55, Qt::AlignLeft},
                                     {55, Qt::AlignHCenter},
                                     {130, Qt::AlignLeft}},
                                    central);
    StatusBar1->setPanelText(0, QStringLiteral("ｻｲｽﾞ"));
    layout->addWidget(StatusBar2);
    layout->addWidget(StatusBar1);
    setCentralWidget(central);

    buildMenus();
}

void TMainForm::buildToolbar()
{
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setFixedHeight(44);

    struct Button
    {
        int x;
        const char* name;
        const char* caption;
        int tag;
        const char* hint;
    };
    static const Button buttons[] = {
        {0, "SpeedButton1", "新規", 0, nullptr},
        {40, "SpeedButton2", "開く", 0, nullptr},
        {80, "SpeedButton3", "保存", 0, nullptr},
        {125, "SpeedButton4", "切取", 0, nullptr},
        {165, "SpeedButton5", "ｺﾋﾟｰ", 0, nullptr},
        {205, "SpeedButton6", "貼付", 0, nullptr},
        {245, "SpeedButton7", "戻す", 0, nullptr},
        {285, "SpeedButton12", "検索", 0, nullptr},
        {330, "SpeedButton8", "印刷", 0, nullptr},
        {375, "SpeedButton9", "受信", 0, nullptr},
        {415, "SpeedButton10", "送信", 1, nullptr},
        {455, "SpeedButton15", "ﾘﾋﾟｰﾄ", 2, nullptr},
        {495, "SpeedButton11", "設定", 0, "通信設定を変更します。"},
        {535, "SpeedButton13", "中止", 0, "送信(受信)を中止します。"},
        {575, "SpeedButton14", "ｽﾃｯﾌﾟ", 0, "ｽﾃｯﾌﾟ送信出来ます。"},
    };
    for (const Button& b : buttons) {
        auto* button = new QToolButton(Panel1);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setText(QString::fromUtf8(b.caption));
        button->setProperty("Tag", b.tag);
        button->setAutoRaise(true);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setGeometry(b.x + 2, 2, 40, 40);
        if (b.hint)
            button->setToolTip(QString::fromUtf8(b.hint));
        m_speedButtons.append(button);
    }
    for (int x : {120, 325, 370}) {
        auto* bevel = new QFrame(Panel1);
        bevel->setFrameStyle(QFrame::VLine | QFrame::Sunken);
        bevel->setGeometry(x + 2, 2, 5, 40);
    }
    auto button = [this](const char* name) {
        return Panel1->findChild<QToolButton*>(QString::fromLatin1(name));
    };
    connect(button("SpeedButton10"), &QToolButton::clicked, this, &TMainForm::SpeedButton10Click);
    connect(button("SpeedButton15"), &QToolButton::clicked, this, &TMainForm::SpeedButton10Click);
    connect(button("SpeedButton13"), &QToolButton::clicked, this, &TMainForm::SpeedButton13Click);
}

void TMainForm::buildProgramNumberBar()
{
    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(33);

    Label1 = new QLabel(QStringLiteral("データ内のプログラム番号"), Panel2);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(5, 10);
    ComboBox1 = new QComboBox(Panel2);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(145, 5, 400, 23);
    BitBtn1 = new QToolButton(Panel2);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(550, 4, 25, 25);
    BitBtn1->setToolTip(QStringLiteral("手動でﾌﾟﾛｸﾞﾗﾑ番号を抽出します。"));

    Label2 = new QLabel(Panel2);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(5, 10, 525, 17);

    auto lamp = [this](const char* name, const char* label, int x, const QString& text,
                       const QColor& color) {
        auto* caption = new QLabel(QString::fromLatin1(label), Panel2);
        caption->setObjectName(QString::fromLatin1(name) + QStringLiteral("Label"));
        caption->move(x, 2);
        auto* edit = new QLineEdit(text, Panel2);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setFrame(false);
        edit->setReadOnly(true);
        edit->setGeometry(x, 17, 20, 15);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Text, color);
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        edit->setPalette(palette);
        connect(edit, &QObject::destroyed, caption, &QObject::deleteLater);
        return edit;
    };
    LabeledEdit1 = lamp("LabeledEdit1", "DSR", 535, QStringLiteral(" ●"), Qt::red);
    LabeledEdit2 = lamp("LabeledEdit2", "CTS", 570, QStringLiteral(" ○"), QColor(0, 255, 0));
}

QAction* TMainForm::addItem(QMenu* menu, const char* objectName, const QString& caption,
                            const QKeySequence& shortcut, int tag)
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(objectName));
    if (!shortcut.isEmpty())
        item->setShortcut(shortcut);
    item->setProperty("Tag", tag);
    m_actions.insert(item->objectName(), item);
    return item;
}

void TMainForm::buildMenus()
{
    QMenuBar* bar = menuBar();
    auto topMenu = [this, bar](const char* name, const QString& caption) {
        QMenu* menu = bar->addMenu(caption);
        menu->setObjectName(QString::fromLatin1(name));
        menu->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Action"));
        m_menus.insert(menu->objectName(), menu);
        return menu;
    };

    QMenu* file = topMenu("FileNew", QStringLiteral("ファイル(&F)"));
    addItem(file, "open1", QStringLiteral("新規作成"));
    addItem(file, "FileOpen", QStringLiteral("開く"));
    addItem(file, "FileSave", QStringLiteral("上書き保存"));
    addItem(file, "FileSaveAs", QStringLiteral("名前を付けて保存"));
    addItem(file, "opSave", QStringLiteral("ｏ番号分割保存"));
    file->addSeparator();
    addItem(file, "PrintSetting", QStringLiteral("印刷設(ﾌﾟﾘﾝﾀ)"));
    addItem(file, "FilePrint", QStringLiteral("印刷"));
    file->addSeparator();
    addItem(file, "DeskTop_set", QStringLiteral("ﾃﾞｨｽｸﾄｯﾌﾟにｼｮｰﾄｶｯﾄ作成"));
    addItem(file, "SendTo_set", QStringLiteral("SendTo(送る)に登録"));
    file->addSeparator();
    for (int i = 0; i < 5; ++i) {
        const QByteArray name = "MenuFile" + QByteArray::number(i);
        addItem(file, name.constData(), QString(), {}, i + 1)->setVisible(false);
    }
    QAction* none = file->addSeparator();
    none->setObjectName(QStringLiteral("FileNone3"));
    none->setVisible(false);
    connect(addItem(file, "FileExit1", QStringLiteral("終了")), &QAction::triggered, this,
            &TMainForm::FileExit1Click);

    QMenu* edit = topMenu("EditMenu", QStringLiteral("編集(&E)"));
    connect(edit, &QMenu::aboutToShow, this, &TMainForm::EditMenuClick);
    addItem(edit, "EditUndo", QStringLiteral("元に戻す"), QKeySequence(QStringLiteral("Ctrl+Z")));
    edit->addSeparator();
    addItem(edit, "EditCut", QStringLiteral("切り取り"), QKeySequence(QStringLiteral("Ctrl+X")));
    addItem(edit, "EditCopy", QStringLiteral("コピー"), QKeySequence(QStringLiteral("Ctrl+C")));
    addItem(edit, "EditPaste", QStringLiteral("貼り付け"), QKeySequence(QStringLiteral("Ctrl+V")));
    addItem(edit, "EditDelete", QStringLiteral("削除"), QKeySequence(QStringLiteral("Ctrl+Del")));
    edit->addSeparator();
    addItem(edit, "EditAll", QStringLiteral("すべて選択"), QKeySequence(QStringLiteral("Ctrl+A")));
    addItem(edit, "EditDateTime", QStringLiteral("日付と時刻を挿入"));
    addItem(edit, "EditDate", QStringLiteral("日付を挿入"));
    edit->addSeparator();
    QMenu* fontMenu = edit->addMenu(QStringLiteral("フォント選択"));
    fontMenu->setObjectName(QStringLiteral("EditFont_menu"));
    addItem(fontMenu, "EditFont", QStringLiteral("フォント設定"));
    fontMenu->addSeparator();
    addItem(fontMenu, "MenuFont", QStringLiteral("フォント名"));
    QMenu* colorMenu = edit->addMenu(QStringLiteral("画面カラー"));
    colorMenu->setObjectName(QStringLiteral("color_menu"));
    addItem(colorMenu, "screen_color", QStringLiteral("背景色設定"));
    addItem(colorMenu, "font_color", QStringLiteral("文字色設定"));

    QMenu* find = topMenu("FindMenu", QStringLiteral("検索・置換(&S)"));
    addItem(find, "FindDo", QStringLiteral("検索"));
    addItem(find, "FindNext", QStringLiteral("次を検索(F3)"));
    addItem(find, "Replace", QStringLiteral("置換"));
    find->addSeparator();
    addItem(find, "FileSearch1", QStringLiteral("ﾌｧｲﾙ検索"));

    QMenu* set = topMenu("SetMenu", QStringLiteral("通信設定選択"));
    m_profileGroup = new QActionGroup(this);
    m_profileGroup->setExclusive(true);
    static const char* const keys[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "A"};
    const int* order = ProfileNumbers::menuOrder();
    for (int i = 0; i < ProfileNumbers::kCount; ++i) {
        const int n = order[i];
        if (n == 6)
            set->addSeparator();
        const QString shortcut =
            QStringLiteral("Shift+Alt+") +
            (n == 6 ? QStringLiteral("O") : n == 12 ? QStringLiteral("P") : QString::fromLatin1(keys[i]));
        const QByteArray name = ProfileNumbers::menuItemName(n).toLatin1();
        QAction* item = addItem(set, name.constData(), ProfileNumbers::defaultName(n),
                                QKeySequence(shortcut), n);
        item->setCheckable(true);
        m_profileGroup->addAction(item);
        connect(item, &QAction::triggered, this, &TMainForm::Set1Click);
    }

    QMenu* op = topMenu("OpMenu", QStringLiteral("設定"));
    connect(addItem(op, "setting_op", QStringLiteral("ｵﾌﾟｼｮﾝ設定")), &QAction::triggered, this,
            &TMainForm::setting_opClick);
    addItem(op, "User_op", QStringLiteral("ﾕｰｻﾞ定義(拡張子)"));
    op->addSeparator();
    QAction* iconShow = addItem(op, "icon_show", QStringLiteral("最小化時はﾀｽｸﾄﾚｲのみ表示"));
    QAction* sendStep = addItem(op, "send_step", QStringLiteral("ｽﾃｯﾌﾟ送信有効"));
    op->addSeparator();
    QAction* onoOp = addItem(op, "ono_op", QStringLiteral("ﾌﾟﾛｸﾞﾗﾑ番号自動検索無効"));
    for (QAction* a : {iconShow, sendStep, onoOp})
        a->setCheckable(true);
    // The handlers invert the mark themselves.
    connect(iconShow, &QAction::triggered, this, &TMainForm::icon_showClick);
    connect(sendStep, &QAction::triggered, this, &TMainForm::send_stepClick);
    connect(onoOp, &QAction::triggered, this, &TMainForm::ono_opClick);

    QMenu* log = topMenu("Menu_log", QStringLiteral("ログ"));
    connect(addItem(log, "Menu_send", QStringLiteral("送信(PCからNC)"), {}, 1), &QAction::triggered,
            this, &TMainForm::Menu_sendClick);
    connect(addItem(log, "Menu_read", QStringLiteral("受信(NCからPC)"), {}, 2), &QAction::triggered,
            this, &TMainForm::Menu_sendClick);
    connect(addItem(log, "Menu_dnc", QStringLiteral("DNC(ｻﾌﾞﾌﾟﾛｸﾞﾗﾑ呼出)"), {}, 3),
            &QAction::triggered, this, &TMainForm::Menu_sendClick);
    log->addSeparator();
    connect(addItem(log, "Menu_log_e", QStringLiteral("ログ表示終了"), {}, 4), &QAction::triggered,
            this, &TMainForm::Menu_sendClick);

    QMenu* help = topMenu("Menu_help", QStringLiteral("ヘルプ(&H)"));
    addItem(help, "Menu_help1", QStringLiteral("ヘルプ目次(&H)"));
    help->addSeparator();
    addItem(help, "Menu_hp", QStringLiteral("作者ホームページ"));
    help->addSeparator();
    addItem(help, "Menu_ver", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));

    // The tray icon's menu.
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    connect(addItem(PopupMenu2, "Send", QStringLiteral("送信")), &QAction::triggered, this,
            &TMainForm::SpeedButton10Click);
    addItem(PopupMenu2, "Read", QStringLiteral("受信"));
    connect(addItem(PopupMenu2, "stop_s", QStringLiteral("中止")), &QAction::triggered, this,
            &TMainForm::SpeedButton13Click);
    PopupMenu2->addSeparator();
    QMenu* traySet = PopupMenu2->addMenu(QStringLiteral("通信設定選択"));
    traySet->setObjectName(QStringLiteral("SetMenuS_s"));
    m_menus.insert(traySet->objectName(), traySet);
    m_trayProfileGroup = new QActionGroup(this);
    for (int i = 0; i < ProfileNumbers::kCount; ++i) {
        const int n = order[i];
        if (n == 6)
            traySet->addSeparator();
        const QByteArray name = ProfileNumbers::menuItemName(n).toLatin1() + "_s";
        QAction* item = addItem(traySet, name.constData(), QString(), {}, n);
        item->setCheckable(true);
        m_trayProfileGroup->addAction(item);
        connect(item, &QAction::triggered, this, &TMainForm::Set1Click);
    }
    addItem(PopupMenu2, "SetMenu_s", QStringLiteral("通信設定"));
    PopupMenu2->addSeparator();
    connect(addItem(PopupMenu2, "FileExit_s", QStringLiteral("終了")), &QAction::triggered, this,
            &TMainForm::FileExit1Click);
}

// ---------------------------------------------------------------- start-up

void TMainForm::FormCreate(const QStringList& arguments)
{
    m_documentName = kUntitled;

    m_config = ConfigurationFile::read(IniFile(AppPaths::iniFile()));
    move(m_config.Left, m_config.Top);
    resize(m_config.Width, m_config.Height);
    applyEditorAppearance();

    ComboBox1->clear();
    Label2->hide();
    LabeledEdit1->hide();
    LabeledEdit2->hide();
    for (const QString& suffix : {QStringLiteral(""), QStringLiteral("_s")}) {
        for (int n = 1; n <= ProfileNumbers::kCount; ++n) {
            if (QAction* item = action(ProfileNumbers::menuItemName(n) + suffix))
                item->setText(m_config.ProfileNames[n]);
        }
    }
    StatusBar2->hide();
    m_speedButtons[13]->setEnabled(false); // SpeedButton13
    m_speedButtons[14]->setEnabled(false); // SpeedButton14
    SetEditorStatus(1, QString());
    m_abortPending = false;

    m_commandLine = CommandLineState();

    m_versionSuffix = MakeVersionSuffix();
    m_osText = MakeOsText();
    m_titleKind = 5;
    setWindowTitle(StartupTitle(m_versionSuffix, m_osText));

    // The collection file starts empty at every start.
    AppPaths::ensureSettingsFolder();
    QFile collection(AppPaths::collectionFile());
    if (!collection.open(QIODevice::WriteOnly | QIODevice::Truncate))
        m_dialogs->messageDialog(collection.fileName() + QStringLiteral(" に書き込めません"),
                                 BoxIcon::Error, BoxButton::Ok);
    collection.close();

    if (!arguments.isEmpty()) {
        CommandLine host(*this);
        ProcessCommandLine(arguments, m_commandLine, host);
    }
    m_transfer.ExitAfterTransfer = m_commandLine.ExitAfterTransfer;
    m_transfer.TransferFileName = m_commandLine.TransferFileName;
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        FormShow();
    }
}

void TMainForm::FormShow()
{
    setAcceptDrops(true);
    SetEditorStatus(3, QStringLiteral("挿入"));
    m_insertMode = true;
    EditMenuClick();
    LoadProfile(m_config.SetNo);
    m_startupIdleDone = false;
    QTimer::singleShot(0, this, &TMainForm::StartPendingTransfer);
    action(QStringLiteral("icon_show"))->setChecked(m_config.options.op8);
    action(QStringLiteral("send_step"))->setChecked(m_config.options.op11);
    action(QStringLiteral("ono_op"))->setChecked(m_config.options.op18);
    m_transfer.StepSendEnabled = m_config.options.op11;
    if (Options::isYes(m_config.options.op19) && !QFileInfo::exists(AppPaths::definitionFile()))
        m_config.options.op19 = QStringLiteral("N");
}

void TMainForm::StartPendingTransfer()
{
    if (m_startupIdleDone)
        return;
    // A requested send or reception stays pending until this build can carry
    // it out; it is never reported as done.
    if (m_commandLine.PendingSend == 'Y')
        qWarning("kelvra: sending is not available in this build; the request is kept");
    if (m_commandLine.PendingReceive == 'Y')
        qWarning("kelvra: receiving is not available in this build; the request is kept");
    m_startupIdleDone = true;
}

// ---------------------------------------------------------------- closing

void TMainForm::FileExit1Click()
{
    if (RichEdit1->document()->isModified()) {
        const int answer = m_dialogs->systemBox(
            m_documentName + QStringLiteral(" への変更を保存しますか？"), QStringLiteral("編集"),
            BoxIcon::Warning, BoxButton::Yes | BoxButton::No | BoxButton::Cancel);
        if (answer == BoxButton::Cancel)
            return;
        if (answer == BoxButton::Yes) {
            const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("データ保存"),
                                                              m_config.DataFolder);
            if (path.isEmpty()) {
                close();
                return;
            }
            QFile out(path);
            QString text = RichEdit1->toPlainText();
            text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
            if (!out.open(QIODevice::WriteOnly) || out.write(Cp932::encode(text)) < 0) {
                m_dialogs->messageDialog(path + QStringLiteral(" に書き込めません"),
                                         BoxIcon::Error, BoxButton::Ok);
                return;
            }
        }
    }
    RichEdit1->clear();
    RichEdit1->document()->setModified(false);
    setTitle(3);
    close();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

bool TMainForm::FormCloseQuery()
{
    if (!RichEdit1->document()->isModified())
        return true;
    const int answer = m_dialogs->systemBox(
        m_documentName + QStringLiteral(" への変更を保存しますか？"), QStringLiteral("編集"),
        BoxIcon::Warning, BoxButton::Yes | BoxButton::No | BoxButton::Cancel);
    if (answer == BoxButton::Cancel || answer == BoxButton::Yes)
        return false;
    RichEdit1->clear();
    return true;
}

void TMainForm::FormClose()
{
    if (m_closing)
        return;
    m_closing = true;

    m_config.Left = x();
    m_config.Top = y();
    m_config.Width = width();
    m_config.Height = height();
    m_config.FontName = RichEdit1->font().family();
    m_config.FontSize = RichEdit1->font().pointSize();

    IniFile ini(AppPaths::iniFile());
    ConfigurationFile::write(ini, m_config);
    // The window closes even when the settings cannot be written: the
    // operator is told, and keeping the window open would not help a
    // read-only folder.
    if (!ini.save())
        m_dialogs->messageDialog(QFileInfo(ini.path()).fileName() +
                                     QStringLiteral(" に書き込めません"),
                                 BoxIcon::Error, BoxButton::Ok);
}

// ---------------------------------------------------------------- profiles

void TMainForm::LoadProfile(int profileNumber)
{
    const int n = ProfileNumbers::normalized(profileNumber);
    m_config.SetNo = n;
    QAction* item = action(ProfileNumbers::menuItemName(n));
    QAction* twin = action(ProfileNumbers::menuItemName(n) + QStringLiteral("_s"));
    const QString caption = QStringLiteral("通信設定切換(") + item->text() + QStringLiteral(")");
    m_menus.value(QStringLiteral("SetMenu"))->setTitle(caption);
    item->setChecked(true);
    twin->setChecked(true);
    twin->setText(item->text());
    m_menus.value(QStringLiteral("SetMenuS_s"))->setTitle(caption);
    m_activeProfile = Profiles::load(n);
}

void TMainForm::Set1Click()
{
    auto* item = qobject_cast<QAction*>(sender());
    if (!item)
        return;
    LoadProfile(item->property("Tag").toInt());
}

// ---------------------------------------------------------------- options

void TMainForm::setting_opClick()
{
    OptionForm->showFor(frameGeometry());
    // The size display and the title may depend on the options just changed.
    setTitle(m_titleKind);
}

void TMainForm::icon_showClick()
{
    // QAction has already inverted the mark; keep the window visible when the
    // mark is removed.
    const bool marked = action(QStringLiteral("icon_show"))->isChecked();
    if (!marked)
        showNormal();
    m_config.options.op8 = marked;
}

void TMainForm::send_stepClick()
{
    m_config.options.op11 = action(QStringLiteral("send_step"))->isChecked();
    m_transfer.StepSendEnabled = m_config.options.op11;
}

void TMainForm::ono_opClick()
{
    m_config.options.op18 = action(QStringLiteral("ono_op"))->isChecked();
}

// ---------------------------------------------------------------- logs

void TMainForm::Menu_sendClick()
{
    auto* item = qobject_cast<QAction*>(sender());
    if (!item)
        return;
    const int tag = item->property("Tag").toInt();
    if (tag >= 1 && tag <= 3)
        showLog(tag);
    else
        closeLogView();
}

void TMainForm::showLog(int kind)
{
    m_speedButtons[13]->setEnabled(false);
    m_editorStack->setCurrentWidget(RichEdit2);
    QFont font = RichEdit2->font();
    font.setFamily(RichEdit1->font().family());
    font.setPointSize(RichEdit1->font().pointSize());
    RichEdit2->setFont(font);
    RichEdit2->clear();
    m_logViewActive = true;

    QString text;
    if (!ReadTransferLog(kind, &text)) {
        static const char* const missing[] = {"送信ﾛｸﾞﾌｧｲﾙが見つかりません｡",
                                              "受信ﾛｸﾞﾌｧｲﾙが見つかりません｡",
                                              "DNC送信ﾛｸﾞﾌｧｲﾙが見つかりません｡"};
        m_dialogs->messageDialog(QString::fromUtf8(missing[kind - 1]), BoxIcon::Error,
                                 BoxButton::Yes);
        closeLogView();
        return;
    }
    RichEdit2->setPlainText(text);
    BitBtn1->setEnabled(false);
    ComboBox1->setEnabled(false);
    SetTransferMode(true);
}

void TMainForm::closeLogView()
{
    m_logViewActive = false;
    m_editorStack->setCurrentWidget(RichEdit1);
    BitBtn1->setEnabled(true);
    ComboBox1->setEnabled(true);
    SetTransferMode(false);
    RichEdit1->setFocus();
}

// ---------------------------------------------------------------- window state

void TMainForm::setTitle(int kind)
{
    m_titleKind = kind;
    if (kind == 5)
        setWindowTitle(StartupTitle(m_versionSuffix, m_osText));
    else
        setWindowTitle(BuildWindowTitle(kind, m_documentName,
                                        Options::isYes(m_config.options.op22), m_versionSuffix));
}

void TMainForm::SetEditorStatus(int panel, const QString& text)
{
    if (panel == 0)
        StatusBar1->setPanelText(0, QStringLiteral("ｻｲｽﾞ : ") + text);
    else if (panel == 1)
        StatusBar1->setPanelText(1, QStringLiteral("1 , 1"));
    else
        StatusBar1->setPanelText(panel, text);
}

void TMainForm::SetTransferStatus(int panel, const QString& text)
{
    StatusBar2->setPanelText(panel, text);
}

void TMainForm::ShowProgramNumberBar()
{
    Label1->show();
    ComboBox1->show();
    BitBtn1->show();
    Label2->hide();
    LabeledEdit1->hide();
    LabeledEdit2->hide();
}

void TMainForm::ShowTransferBar()
{
    Label1->hide();
    ComboBox1->hide();
    BitBtn1->hide();
    Label2->clear();
    Label2->show();
    LabeledEdit1->show();
    LabeledEdit2->show();
}

void TMainForm::setControlsEnabled(bool enabled, bool includeTray, bool includeLogMenu)
{
    for (int i = 0; i < m_speedButtons.size(); ++i) {
        const QString name = m_speedButtons[i]->objectName();
        if (name != QLatin1String("SpeedButton13") && name != QLatin1String("SpeedButton14"))
            m_speedButtons[i]->setEnabled(enabled);
    }
    for (const char* menu : {"FileNew", "EditMenu", "FindMenu", "SetMenu", "OpMenu", "Menu_help"})
        m_menus.value(QString::fromLatin1(menu))->menuAction()->setEnabled(enabled);
    action(QStringLiteral("Menu_ver"))->setEnabled(enabled);
    if (includeLogMenu)
        m_menus.value(QStringLiteral("Menu_log"))->menuAction()->setEnabled(enabled);
    if (includeTray) {
        for (const char* item : {"Send", "Read", "SetMenu_s", "FileExit_s"})
            action(QString::fromLatin1(item))->setEnabled(enabled);
    }
}

void TMainForm::SetTransferMode(bool active)
{
    setControlsEnabled(!active, true, !m_logViewActive);
    if (!active) {
        m_speedButtons[13]->setEnabled(false);
        RichEdit1->setReadOnly(false);
        RichEdit1->moveCursor(QTextCursor::Start);
        RichEdit1->ensureCursorVisible();
        StatusBar1->setPanelText(5, QString());
        StatusBar2->hide();
        StatusBar1->show();
        m_abortPending = false;
        return;
    }
    if (m_logViewActive)
        return;
    m_speedButtons[13]->setEnabled(true);
    StatusBar2->show();
    StatusBar1->hide();
    if (m_activeProfile.send.DNC_Send == 1) {
        StatusBar2->setPanelText(0, QStringLiteral("経過時間 00:00:00"));
    } else {
        auto* progress = new QProgressBar(StatusBar2->panel(0));
        progress->setObjectName(QStringLiteral("TransferProgress"));
        progress->setTextVisible(false);
        progress->setGeometry(1, 2, 99, StatusBar2->height() - 2);
        progress->show();
    }
}

void TMainForm::SetScanMode(bool active)
{
    setControlsEnabled(!active, false, true);
    if (active) {
        m_speedButtons[13]->setEnabled(true);
        return;
    }
    EditMenuClick();
    m_abortPending = false;
    BitBtn1->setEnabled(true);
    m_speedButtons[13]->setEnabled(false);
    StatusBar1->setPanelText(5, QString());
    StatusBar1->setPanelText(6, QString());
}

void TMainForm::EditMenuClick()
{
    const bool canUndo = RichEdit1->document()->isUndoAvailable();
    for (const char* name : {"EditUndo", "SpeedButton7"}) {
        if (QAction* a = action(QString::fromLatin1(name)))
            a->setEnabled(canUndo);
    }
    m_speedButtons[6]->setEnabled(canUndo);
    const bool selected = RichEdit1->textCursor().hasSelection();
    for (const char* name : {"EditCut", "EditCopy", "EditDelete"})
        action(QString::fromLatin1(name))->setEnabled(selected);
    m_speedButtons[3]->setEnabled(selected);
    m_speedButtons[4]->setEnabled(selected);
}

// ---------------------------------------------------------------- transfers

void TMainForm::SpeedButton10Click()
{
    // Sending arrives with the transfer subsystem.
}

void TMainForm::SpeedButton13Click()
{
    m_transfer.AbortRequested = true;
    m_abortPending = true;
}

// ---------------------------------------------------------------- documents

void TMainForm::openDocument(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_dialogs->messageDialog(QStringLiteral("呼出ﾃﾞｰﾀ\n") + path +
                                     QStringLiteral("が見つかりません｡"),
                                 BoxIcon::Error, BoxButton::Yes);
        return;
    }
    RichEdit1->setPlainText(Cp932::decode(file.readAll()));
    RichEdit1->document()->setModified(false);
    m_config.DataFolder = QFileInfo(path).absolutePath();
    m_documentName = path;
    setTitle(1);
    SetEditorStatus(4, QString());
    SetEditorStatus(1, QString());
    QStringList& recent = m_config.RecentFiles;
    qsizetype at = -1;
    for (qsizetype i = 0; i < recent.size(); ++i) {
        if (recent[i].compare(path, Qt::CaseInsensitive) == 0)
            at = i;
    }
    recent.removeAt(at >= 0 ? at : recent.size() - 1);
    recent.prepend(path);
}

void TMainForm::applyEditorAppearance()
{
    QFont font(m_config.FontName);
    font.setPointSize(m_config.FontSize > 0 ? m_config.FontSize : 12);
    font.setStyleHint(QFont::Monospace);
    RichEdit1->setFont(font);
    QPalette palette = RichEdit1->palette();
    palette.setColor(QPalette::Text, colorFromValue(m_config.FontColor));
    palette.setColor(QPalette::Base, colorFromValue(m_config.ScreenColor));
    RichEdit1->setPalette(palette);
}
