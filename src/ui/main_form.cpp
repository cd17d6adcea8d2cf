#include "ui/main_form.h"
#include "platform/color_value.h"
#include "ui/main_form_transfer.h"
#include "platform/port_map.h"
#include "serial/port_discovery.h"
#include "transfer/serial_transfer_link.h"

#include "app/option_form.h"
#include "editor/document_files.h"
#include "editor/nc_editor.h"
#include "editor/user_form.h"
#include "platform/app_paths.h"
#include "platform/cp932.h"
#include "platform/ini_file.h"
#include "platform/qt_dialog_service.h"
#include "profiles/profile_numbers.h"
#include "transfer/transfer_log.h"
#include "ui/program_index_model.h"
#include "ui/status_panel_bar.h"
#include "ui/window_title.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

static void initGlyphs()
{
    Q_INIT_RESOURCE(glyphs);
}

namespace {

const QString kScanning = QStringLiteral("ﾌﾟﾛｸﾞﾗﾑ番号抽出中");
const QString kSelection = QStringLiteral("選択範囲");
const QString kSaveTitle = QStringLiteral("ﾃﾞｰﾀ保存");
// The save dialog's filter before the first Save As assigns the full one.
const QString kDesignFilter = QStringLiteral(
    "ＮＣ文章(*.nc;*.nc1;*.nc0)|*.NC;*.NC1;*.NC0|テキスト(*.txt)|*.TXT|すべて表示(*.*)|*.*|");

QIcon glyph(const char* name)
{
    return QIcon(QStringLiteral(":/glyphs/") + QString::fromLatin1(name) + QStringLiteral(".svg"));
}

// The images of ImageList1 by number; the menus set 7 and 9.
QIcon imageListImage(int number)
{
    static const char* const images[] = {"new",  "open", "save", "cut",     "copy",
                                         "paste", "delete", "undo", "print", "find"};
    return number >= 0 && number < 10 ? glyph(images[number]) : QIcon();
}

// The editor as LoadDocument's target.
class EditorSink : public DocumentSink
{
public:
    explicit EditorSink(NcEditor& editor) : m_editor(editor) {}
    void beginText(qsizetype expectedBytes) override { m_editor.beginLoad(expectedBytes); }
    void appendText(const char* utf8, qsizetype size) override { m_editor.appendUtf8(utf8, size); }
    void endText() override { m_editor.endLoad(); }
    bool isTextEmpty() const override { return m_editor.isEmptyText(); }

private:
    NcEditor& m_editor;
};

} // namespace

// The main window's side of the command line.
class TMainForm::CommandLine : public CommandLineHost
{
public:
    explicit CommandLine(TMainForm& form) : m_form(form) {}

    QString dataFolder() const override { return m_form.m_config.DataFolder; }
    void collectFile(const QString& file) override
    {
        if (!m_form.LoadDocument(m_form.RichEdit1, file, true))
            return; // reported; nothing of it is collected
        QString error;
        if (!AppendToCollection(AppPaths::collectionFile(), m_form.RichEdit1->plainText(), &error))
            m_form.dialogs().messageDialog(AppPaths::collectionFile() +
                                               QStringLiteral(" に書き込めません\n") + error,
                                           BoxIcon::Error, BoxButton::Ok);
    }
    bool openForSending(const QString& file) override { return m_form.openDocument(file); }
    void saveChangesPrompt() override
    {
        if (m_form.isModified())
            m_form.SaveChangesPrompt(m_form.m_dialogFileName, kSaveTitle);
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
    initGlyphs();
    setObjectName(QStringLiteral("MainForm"));
    if (dialogs) {
        m_dialogs = dialogs;
    } else {
        m_ownDialogs = std::make_unique<QtDialogService>(this);
        m_dialogs = m_ownDialogs.get();
    }
    setWindowIcon(glyph("kelvra"));
    buildWidgets();
    wireCommands();
    OptionForm = new TOptionForm(m_config.options, *m_dialogs, this);
    User = new TUser(m_config, *m_dialogs, this);
    // The lamps follow the modem lines while a transfer runs.
    m_serialView = std::make_unique<GuiSerialView>(
        this, *m_dialogs,
        [this](bool on) {
            QPalette palette = LabeledEdit1->palette();
            palette.setColor(QPalette::Text, on ? Qt::blue : Qt::red);
            LabeledEdit1->setPalette(palette);
        },
        [this](bool on) { LabeledEdit2->setText(on ? QStringLiteral(" ●") : QStringLiteral(" ○")); });
    m_linkFactory = [this](TransferState& state, const SendJob& job) {
        return std::unique_ptr<TransferLink>(std::make_unique<SerialTransferLink>(
            state, job.options, job.profile, PortMap::load(), *m_serialView));
    };
    // F1 completion and the F3/Escape abort keys see every key first.
    qApp->installEventFilter(this);
    FormCreate(arguments);
}

TMainForm::~TMainForm()
{
    qApp->removeEventFilter(this);
    if (m_running && m_running->thread) {
        // The transfer may be waiting for a box on this thread: keep
        // answering while it stops.
        requestAbort();
        waitForTransferThread();
        delete m_running->thread;
    }
}

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
    RichEdit1 = new NcEditor(m_editorStack);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit2 = new NcEditor(m_editorStack);
    RichEdit2->setObjectName(QStringLiteral("RichEdit2"));
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

    auto timer = [this](const char* name, int interval) {
        auto* t = new QTimer(this);
        t->setObjectName(QString::fromLatin1(name));
        t->setInterval(interval);
        return t;
    };
    Timer1 = timer("Timer1", 2000);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    // The remaining-time estimate runs on the send's own thread every 10 s.
    Timer4 = timer("Timer4", 500);

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
        const char* glyph;
    };
    static const Button buttons[] = {
        {0, "SpeedButton1", "新規", 0, nullptr, "new"},
        {40, "SpeedButton2", "開く", 0, nullptr, "open"},
        {80, "SpeedButton3", "保存", 0, nullptr, "save"},
        {125, "SpeedButton4", "切取", 0, nullptr, "cut"},
        {165, "SpeedButton5", "ｺﾋﾟｰ", 0, nullptr, "copy"},
        {205, "SpeedButton6", "貼付", 0, nullptr, "paste"},
        {245, "SpeedButton7", "戻す", 0, nullptr, "undo"},
        {285, "SpeedButton12", "検索", 0, nullptr, "find"},
        {330, "SpeedButton8", "印刷", 0, nullptr, "print"},
        {375, "SpeedButton9", "受信", 0, nullptr, "receive"},
        {415, "SpeedButton10", "送信", 1, nullptr, "send"},
        {455, "SpeedButton15", "ﾘﾋﾟｰﾄ", 2, nullptr, "repeat"},
        {495, "SpeedButton11", "設定", 0, "通信設定を変更します。", "settings"},
        {535, "SpeedButton13", "中止", 0, "送信(受信)を中止します。", "abort"},
        {575, "SpeedButton14", "ｽﾃｯﾌﾟ", 0, "ｽﾃｯﾌﾟ送信出来ます。", "step"},
    };
    QFont small = font();
    small.setPointSize(8);
    for (const Button& b : buttons) {
        auto* button = new QToolButton(Panel1);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setText(QString::fromUtf8(b.caption));
        button->setProperty("Tag", b.tag);
        button->setAutoRaise(true);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIcon(glyph(b.glyph));
        button->setIconSize(QSize(20, 20));
        button->setFont(small);
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
}

QToolButton* TMainForm::speedButton(int number) const
{
    return Panel1->findChild<QToolButton*>(QStringLiteral("SpeedButton") + QString::number(number));
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
    QFont listFont(QStringLiteral("ＭＳ ゴシック"));
    listFont.setStyleHint(QFont::Monospace);
    listFont.setPixelSize(15);
    ComboBox1->setFont(listFont);
    m_indexModel = new ProgramIndexModel(m_programIndex, this);
    ComboBox1->setModel(m_indexModel);
    BitBtn1 = new QToolButton(Panel2);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(550, 4, 25, 25);
    BitBtn1->setIcon(glyph("extract"));
    BitBtn1->setToolTip(QStringLiteral("手動でﾌﾟﾛｸﾞﾗﾑ番号を抽出します。"));

    Label2 = new QLabel(Panel2);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(5, 10, 525, 17);

    auto lamp = [this](const char* name, const char* label, int x, const QString& text,
                       const QColor& color) {
        auto* caption = new QLabel(QString::fromLatin1(label), Panel2);
        caption->setObjectName(QString::fromLatin1(name) + QStringLiteral("Label"));
        caption->move(x, 1);
        auto* edit = new QLineEdit(text, Panel2);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setFrame(false);
        edit->setReadOnly(true);
        edit->setGeometry(x, 16, 22, 16);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Text, color);
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        edit->setPalette(palette);
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

void TMainForm::wireCommands()
{
    auto button = [this](int n, void (TMainForm::*slot)()) {
        connect(speedButton(n), &QToolButton::clicked, this, slot);
    };
    button(1, &TMainForm::open1Click);
    button(2, &TMainForm::FileOpenClick);
    button(3, &TMainForm::FileSaveClick);
    button(4, &TMainForm::EditCutClick);
    button(5, &TMainForm::EditCopyClick);
    button(6, &TMainForm::EditPasteClick);
    button(7, &TMainForm::EditUndoClick);
    button(10, &TMainForm::SpeedButton10Click);
    button(15, &TMainForm::SpeedButton10Click);
    button(13, &TMainForm::SpeedButton13Click);
    button(14, &TMainForm::SpeedButton14Click);
    // SpeedButton8 (print), 9 (receive), 11 (settings) and 12 (find next)
    // are wired when their commands exist.

    auto item = [this](const char* name, void (TMainForm::*slot)()) {
        connect(action(QString::fromLatin1(name)), &QAction::triggered, this, slot);
    };
    // ono_op, the profile items and the options are wired where they are built.
    item("open1", &TMainForm::open1Click);
    item("FileOpen", &TMainForm::FileOpenClick);
    item("FileSave", &TMainForm::FileSaveClick);
    item("FileSaveAs", &TMainForm::FileSaveAsClick);
    for (int i = 0; i < 5; ++i)
        item(QByteArray("MenuFile" + QByteArray::number(i)).constData(), &TMainForm::MenuFile0Click);
    item("FileExit1", &TMainForm::FileExit1Click);
    item("User_op", &TMainForm::User_opClick);
    item("FileSearch1", &TMainForm::FileSearchClick);
    for (const char* suffix : {"", "_s"}) {
        auto twin = [&](const char* base, void (TMainForm::*slot)()) {
            item((QByteArray(base) + suffix).constData(), slot);
        };
        twin("EditUndo", &TMainForm::EditUndoClick);
        twin("EditCut", &TMainForm::EditCutClick);
        twin("EditCopy", &TMainForm::EditCopyClick);
        twin("EditPaste", &TMainForm::EditPasteClick);
        twin("EditDelete", &TMainForm::EditDeleteClick);
        twin("EditAll", &TMainForm::EditAllClick);
        twin("EditDateTime", &TMainForm::EditDateTimeClick);
        twin("EditDate", &TMainForm::EditDateClick);
    }
    item("EditFont", &TMainForm::EditFontClick);
    item("screen_color", &TMainForm::screen_colorClick);
    item("font_color", &TMainForm::font_colorClick);
    item("FileNukidasi", &TMainForm::FileNukidasiClick);
    item("Send", &TMainForm::SendClick);
    item("stop_s", &TMainForm::SpeedButton13Click);
    item("FileExit_s", &TMainForm::FileExit1Click);
    // opSave, PrintSetting, FilePrint, DeskTop_set, SendTo_set, FindDo,
    // FindNext, Replace, FindDo_s, jump, Replace_s, Menu_help1, Menu_hp,
    // Menu_ver, Read, SetMenu_s arrive with their subsystems.

    connect(BitBtn1, &QToolButton::clicked, this, &TMainForm::BitBtn1Click);
    connect(ComboBox1, &QComboBox::activated, this, &TMainForm::ComboBox1Click);
    connect(Timer4, &QTimer::timeout, this, &TMainForm::Timer4Timer);

    RichEdit1->setPopupMenu(PopupMenu1);
    RichEdit1->typedCharFilter = [this](QChar c) { return RichEdit1KeyPress(c); };
    RichEdit1->beforeKey = [this](QKeyEvent* e) { RichEdit1KeyDown(e, false); };
    RichEdit1->afterKey = [this](QKeyEvent* e) { RichEdit1KeyDown(e, true); };
    connect(RichEdit1, &NcEditor::textEdited, this, &TMainForm::RichEdit1Change);
    connect(RichEdit1, &NcEditor::mouseButtonEvent, this, &TMainForm::RichEdit1MouseDown);
    connect(RichEdit1, &NcEditor::wheelTurned, this, &TMainForm::RichEdit1MouseWheel);
    connect(RichEdit1, &QsciScintilla::selectionChanged, this, &TMainForm::RichEdit1SelectionChange);
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
    addItem(file, "FileExit1", QStringLiteral("終了"));

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
    addItem(fontMenu, "MenuFont", QStringLiteral("フォント名"))->setEnabled(true);
    QMenu* colorMenu = edit->addMenu(QStringLiteral("画面カラー"));
    colorMenu->setObjectName(QStringLiteral("color_menu"));
    addItem(colorMenu, "screen_color", QStringLiteral("背景色設定"));
    addItem(colorMenu, "font_color", QStringLiteral("文字色設定"));

    QMenu* find = topMenu("FindMenu", QStringLiteral("検索・置換(&S)"));
    connect(find, &QMenu::aboutToShow, this, &TMainForm::FindMenuClick);
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

    // The editor's context menu.
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    addItem(PopupMenu1, "EditUndo_s", QStringLiteral("元に戻す"), QKeySequence(QStringLiteral("Ctrl+Z")));
    PopupMenu1->addSeparator();
    addItem(PopupMenu1, "EditCut_s", QStringLiteral("切り取り"), QKeySequence(QStringLiteral("Ctrl+X")));
    addItem(PopupMenu1, "EditCopy_s", QStringLiteral("コピー"), QKeySequence(QStringLiteral("Ctrl+C")));
    addItem(PopupMenu1, "EditPaste_s", QStringLiteral("貼り付け"), QKeySequence(QStringLiteral("Ctrl+V")));
    addItem(PopupMenu1, "EditDelete_s", QStringLiteral("削除"), QKeySequence(QStringLiteral("Ctrl+Del")));
    PopupMenu1->addSeparator();
    addItem(PopupMenu1, "EditAll_s", QStringLiteral("全て選択"), QKeySequence(QStringLiteral("Ctrl+A")));
    addItem(PopupMenu1, "FileNukidasi", QStringLiteral("ﾌﾟﾛｸﾞﾗﾑ選択(ｶｰｿﾙ位置)"));
    PopupMenu1->addSeparator();
    addItem(PopupMenu1, "EditDateTime_s", QStringLiteral("日付と時刻を挿入"));
    addItem(PopupMenu1, "EditDate_s", QStringLiteral("日付を挿入"));
    PopupMenu1->addSeparator();
    addItem(PopupMenu1, "FindDo_s", QStringLiteral("検索"));
    addItem(PopupMenu1, "jump", QStringLiteral("飛び先検索(GOTO,G65,M98)"));
    addItem(PopupMenu1, "Replace_s", QStringLiteral("置換"));
    // Its shortcuts belong to the main menu's twins.
    for (QAction* a : PopupMenu1->actions())
        a->setShortcutContext(Qt::WidgetShortcut);

    // The tray icon's menu.
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    addItem(PopupMenu2, "Send", QStringLiteral("送信"));
    addItem(PopupMenu2, "Read", QStringLiteral("受信"));
    addItem(PopupMenu2, "stop_s", QStringLiteral("中止"));
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
    addItem(PopupMenu2, "FileExit_s", QStringLiteral("終了"));
}

// ---------------------------------------------------------------- start-up

void TMainForm::FormCreate(const QStringList& arguments)
{
    m_documentName = kUntitledName;
    m_dialogFileName = kUntitledName;
    m_saveDialogFilter = kDesignFilter;

    m_config = ConfigurationFile::read(IniFile(AppPaths::iniFile()));
    move(m_config.Left, m_config.Top);
    resize(m_config.Width, m_config.Height);
    applyEditorAppearance();
    m_fileTypeFilter = BuildFileTypeFilter(m_config.User1_Name, m_config.User1_Mask,
                                           m_config.User2_Name, m_config.User2_Mask);
    const QString ext = DefaultExtensionFor(m_config.FileTypeIndex, false, m_config.User1_Mask,
                                            m_config.User2_Mask);
    if (!ext.isNull())
        m_defaultExt = ext;
    setFormattingRectangle();
    SetEditorStatus(1, QString());

    clearProgramIndex();
    Label2->hide();
    LabeledEdit1->hide();
    LabeledEdit2->hide();
    for (const char* name : {"LabeledEdit1Label", "LabeledEdit2Label"})
        Panel2->findChild<QLabel*>(QString::fromLatin1(name))->hide();
    for (const QString& suffix : {QStringLiteral(""), QStringLiteral("_s")}) {
        for (int n = 1; n <= ProfileNumbers::kCount; ++n) {
            if (QAction* item = action(ProfileNumbers::menuItemName(n) + suffix))
                item->setText(m_config.ProfileNames[n]);
        }
    }
    StatusBar2->hide();
    speedButton(13)->setEnabled(false);
    speedButton(14)->setEnabled(false);
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
    RebuildRecentMenu();
    updateMenuFont();
    SetEditorStatus(3, QStringLiteral("挿入"));
    m_insertMode = true;
    RichEdit1->setOverwriteMode(false);
    RichEdit1->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    EditMenuClick();
    LoadProfile(m_config.SetNo);
    m_startupIdleDone = false;
    QTimer::singleShot(0, this, &TMainForm::StartPendingTransfer);
    RichEdit1->setTextLimit(150000000);
    RichEdit2->setTextLimit(150000000);
    action(QStringLiteral("icon_show"))->setChecked(m_config.options.op8);
    action(QStringLiteral("send_step"))->setChecked(m_config.options.op11);
    action(QStringLiteral("ono_op"))->setChecked(m_config.options.op18);
    m_transfer.StepSendEnabled = m_config.options.op11;

    // The completion word list.
    m_completion = WordCompletion();
    QFile words(AppPaths::definitionFile());
    if (Options::isYes(m_config.options.op19) && words.open(QIODevice::ReadOnly)) {
        QString text = Cp932::decode(words.readAll());
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QStringList list = text.split(QLatin1Char('\n'));
        if (!list.isEmpty() && list.last().isEmpty())
            list.removeLast();
        m_completion.setWords(list);
    } else {
        m_config.options.op19 = QStringLiteral("N");
    }
    RichEdit1SelectionChange();
}

void TMainForm::StartPendingTransfer()
{
    if (m_startupIdleDone)
        return;
    if (m_commandLine.PendingSend == 'Y') {
        m_commandLine.PendingSend = 'N';
        speedButton(10)->click(); // a plain send: that button's Tag is 1
    }
    // A requested reception stays pending until this build can carry it out;
    // it is never reported as done.
    if (m_commandLine.PendingReceive == 'Y')
        qWarning("kelvra: receiving is not available in this build; the request is kept");
    m_startupIdleDone = true;
}

// ---------------------------------------------------------------- closing

void TMainForm::FileExit1Click()
{
    if (isModified()) {
        const int answer = m_dialogs->systemBox(
            m_dialogFileName + QStringLiteral(" への変更を保存しますか？"), QStringLiteral("編集"),
            BoxIcon::Warning, BoxButton::Yes | BoxButton::No | BoxButton::Cancel);
        if (answer == BoxButton::Cancel)
            return;
        if (answer == BoxButton::Yes) {
            FileSaveAsClick();
            if (isModified()) {
                close(); // asks once more through the close query
                return;
            }
        }
    }
    emptyEditor();
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
    if (!isModified())
        return true;
    const int answer = m_dialogs->systemBox(
        m_dialogFileName + QStringLiteral(" への変更を保存しますか？"), QStringLiteral("編集"),
        BoxIcon::Warning, BoxButton::Yes | BoxButton::No | BoxButton::Cancel);
    if (answer == BoxButton::Cancel)
        return false;
    if (answer == BoxButton::Yes) {
        m_saveDialogTitle = kSaveTitle;
        FileSaveAsClick();
        if (isModified())
            return false;
    }
    emptyEditor();
    return true;
}

void TMainForm::FormClose()
{
    if (m_closing)
        return;
    m_closing = true;
    Timer4->stop();

    m_config.Left = x();
    m_config.Top = y();
    m_config.Width = width();
    m_config.Height = height();
    m_config.FontName = RichEdit1->editorFont().family();
    m_config.FontSize = RichEdit1->editorFont().pointSize();
    m_config.FontColor = valueFromColor(RichEdit1->textColor());
    m_config.ScreenColor = valueFromColor(RichEdit1->backgroundColor());

    IniFile ini(AppPaths::iniFile());
    ConfigurationFile::write(ini, m_config);
    // The window closes even when the settings cannot be written: the
    // operator is told, and keeping the window open would not help a
    // read-only folder.
    if (!ini.save())
        m_dialogs->messageDialog(QFileInfo(ini.path()).fileName() +
                                     QStringLiteral(" に書き込めません"),
                                 BoxIcon::Error, BoxButton::Ok);
    desktop().setScreenSaverActive(true);
    // A transfer still running is stopped the normal way before the ports
    // are swept; every port the program may have used is then opened and
    // released once more.
    if (transferRunning())
        requestAbort();
    waitForTransferThread();
    const PortMap ports = PortMap::load();
    PortDiscovery(ports, m_config.options).SweepPorts();
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
    m_windowGeometry = frameGeometry();
    OptionForm->showFor(frameGeometry());
    // The size display and the title may depend on the options just changed.
    if (m_documentSize > 0)
        SetEditorStatus(0, FormatDocumentSize(m_documentSize));
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
    speedButton(13)->setEnabled(false);
    m_editorStack->setCurrentWidget(RichEdit2);
    RichEdit2->setEditorFont(RichEdit1->editorFont());
    RichEdit2->setTextColors(RichEdit1->textColor(), RichEdit1->backgroundColor());
    RichEdit2->clearText();
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
        setWindowTitle(BuildWindowTitle(kind, m_dialogFileName,
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
    for (const char* name : {"LabeledEdit1Label", "LabeledEdit2Label"})
        Panel2->findChild<QLabel*>(QString::fromLatin1(name))->hide();
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
    for (const char* name : {"LabeledEdit1Label", "LabeledEdit2Label"})
        Panel2->findChild<QLabel*>(QString::fromLatin1(name))->show();
}

void TMainForm::setControlsEnabled(bool enabled, bool includeTray, bool includeLogMenu)
{
    for (QToolButton* button : std::as_const(m_speedButtons)) {
        const QString name = button->objectName();
        if (name != QLatin1String("SpeedButton13") && name != QLatin1String("SpeedButton14"))
            button->setEnabled(enabled);
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
        speedButton(13)->setEnabled(false);
        RichEdit1->setReadOnly(false);
        RichEdit1->setCaretPosition(0);
        ScrollCaretLine(0, 0);
        StatusBar1->setPanelText(5, QString());
        RichEdit1->viewport()->update();
        StatusBar2->hide();
        StatusBar1->show();
        m_abortPending = false;
        return;
    }
    if (m_logViewActive)
        return;
    speedButton(13)->setEnabled(true);
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
        speedButton(13)->setEnabled(true);
        return;
    }
    EditMenuClick();
    m_abortPending = false;
    BitBtn1->setEnabled(true);
    speedButton(13)->setEnabled(false);
    StatusBar1->setPanelText(5, QString());
    StatusBar1->setPanelText(6, QString());
}

void TMainForm::EditMenuClick()
{
    action(QStringLiteral("EditUndo"))->setIcon(imageListImage(7));
    const bool canUndo = RichEdit1->isUndoAvailable();
    action(QStringLiteral("EditUndo"))->setEnabled(canUndo);
    action(QStringLiteral("EditUndo_s"))->setEnabled(canUndo);
    speedButton(7)->setEnabled(canUndo);
    const bool selected = RichEdit1->hasSelectedText();
    for (const char* name : {"EditCut", "EditCut_s", "EditCopy", "EditCopy_s", "EditDelete",
                             "EditDelete_s"})
        action(QString::fromLatin1(name))->setEnabled(selected);
    speedButton(4)->setEnabled(selected);
    speedButton(5)->setEnabled(selected);
}

void TMainForm::FindMenuClick()
{
    action(QStringLiteral("FindDo"))->setIcon(imageListImage(9));
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return QMainWindow::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool abortEnabled = speedButton(13)->isEnabled();
    if (key == Qt::Key_F1 && !abortEnabled && watched == RichEdit1 &&
        Options::isYes(m_config.options.op19))
        completeWord();
    if (abortEnabled && (key == Qt::Key_F3 || key == Qt::Key_Escape))
        requestAbort();
    // Space is the step key of a step send, wherever the focus is.
    if (key == Qt::Key_Space && speedButton(14)->isEnabled())
        SpeedButton14Click();
    return QMainWindow::eventFilter(watched, event); // never handled here
}

// ---------------------------------------------------------------- documents

bool TMainForm::isModified() const
{
    return RichEdit1->isModified();
}

void TMainForm::setModifiedOff()
{
    RichEdit1->setModified(false);
}

void TMainForm::emptyEditor()
{
    RichEdit1->clearText();
    m_programIndex.clear();
}

std::optional<quint64> TMainForm::LoadDocument(NcEditor* editor, const QString& path,
                                               bool mainDocument)
{
    EditorSink sink(*editor);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const LoadResult result = ::LoadDocument(sink, path, *m_dialogs);
    QApplication::restoreOverrideCursor();
    if (!result.loaded)
        return std::nullopt;
    if (mainDocument) {
        setFormattingRectangle();
        m_config.DataFolder = DataFolderOf(path);
        clearProgramIndex();
    }
    if (result.size != 0) {
        Timer4->setInterval(1);
        Timer4->start();
    } else {
        editor->clearText();
    }
    return result.size;
}

QString TMainForm::FormatDocumentSize(double bytes)
{
    m_documentSize = bytes;
    return ::FormatDocumentSize(bytes, Options::isYes(m_config.options.op3));
}

void TMainForm::SaveChangesPrompt(const QString& name, const QString& dialogTitle)
{
    if (m_dialogs->systemBox(name + QStringLiteral(" への変更を保存しますか？"),
                             QStringLiteral("編集"), BoxIcon::Warning,
                             BoxButton::Yes | BoxButton::No) != BoxButton::Yes)
        return;
    m_saveDialogTitle = dialogTitle;
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::Save;
    request.title = m_saveDialogTitle;
    request.folder = m_config.DataFolder;
    request.fileName = m_dialogFileName;
    request.filter = m_saveDialogFilter;
    request.filterIndex = m_config.FileTypeIndex;
    request.defaultSuffix = m_defaultExt;
    const FileDialogAnswer answer = m_dialogs->fileDialog(request);
    if (!answer.accepted)
        return;
    m_dialogFileName = answer.path;
    QString error;
    if (!WriteDocument(answer.path, RichEdit1->utf8View(), &error)) {
        m_dialogs->messageDialog(answer.path + QStringLiteral(" に書き込めません\n") + error,
                                 BoxIcon::Error, BoxButton::Yes);
        return;
    }
    setTitle(1);
    setModifiedOff();
}

void TMainForm::AddRecentFile(const QString& path)
{
    ::AddRecentFile(m_config.RecentFiles, path);
    RebuildRecentMenu();
}

void TMainForm::RebuildRecentMenu()
{
    for (int place = 1; place <= 5; ++place) {
        QAction* item = action(QStringLiteral("MenuFile") + QString::number(place - 1));
        const RecentMenuItem shown = RecentMenuItemFor(place, m_config.RecentFiles.value(place - 1));
        item->setVisible(shown.visible);
        item->setEnabled(shown.enabled);
        item->setText(shown.caption);
    }
}

void TMainForm::open1Click()
{
    setFormattingRectangle();
    if (isModified())
        SaveChangesPrompt(m_documentName, kSaveTitle);
    emptyEditor();
    m_documentName = kUntitledName;
    m_dialogFileName = kUntitledName;
    setTitle(2);
    SetEditorStatus(4, QString());
    ShowCaretPosition();
    StatusBar1->setPanelText(0, QStringLiteral("ｻｲｽﾞ"));
    setModifiedOff();
    clearProgramIndex();
    m_programLetter.clear();
}

bool TMainForm::openDocument(const QString& path)
{
    const std::optional<quint64> size = LoadDocument(RichEdit1, path, true);
    if (!size)
        return false; // reported; the document stays as it was named
    SetEditorStatus(0, FormatDocumentSize(double(*size)));
    m_documentName = path;
    m_dialogFileName = path;
    setTitle(1);
    SetEditorStatus(4, QString());
    ShowCaretPosition();
    AddRecentFile(path);
    setModifiedOff();
    return true;
}

void TMainForm::FileOpenClick()
{
    if (isModified())
        SaveChangesPrompt(m_documentName, kSaveTitle);
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::Open;
    request.filter = m_fileTypeFilter;
    request.filterIndex = m_config.FileTypeIndex;
    const QString profileFolder = m_activeProfile.general.DirPath_Sub;
    if (profileFolder.isEmpty()) {
        request.folder = m_config.DataFolder;
    } else if (QFileInfo(profileFolder).isDir()) {
        request.folder = profileFolder;
    } else {
        request.folder = m_config.DataFolder;
        m_dialogs->messageDialog(QStringLiteral("設定ﾌｫﾙﾀﾞ\n") + profileFolder +
                                     QStringLiteral("が見つかりません｡"),
                                 BoxIcon::Error, BoxButton::Yes);
    }
    const FileDialogAnswer answer = m_dialogs->fileDialog(request);
    if (!answer.accepted)
        return;
    if (!QFileInfo::exists(answer.path)) {
        m_dialogs->messageDialog(QStringLiteral("呼出ﾃﾞｰﾀ\n") + answer.path +
                                     QStringLiteral("が見つかりません｡"),
                                 BoxIcon::Error, BoxButton::Yes);
        return;
    }
    Timer4->setInterval(100);
    if (openDocument(answer.path))
        m_config.FileTypeIndex = answer.filterIndex;
}

void TMainForm::MenuFile0Click()
{
    auto* item = qobject_cast<QAction*>(sender());
    if (!item)
        return;
    const QString path = m_config.RecentFiles.value(item->property("Tag").toInt() - 1);
    if (isModified())
        SaveChangesPrompt(m_documentName, kSaveTitle);
    // A file that has gone is passed over; its entry stays.
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    Timer4->setInterval(100);
    openDocument(path);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    if (urls.isEmpty() || urls.size() > 2 || !urls.first().isLocalFile())
        return;
    const QString path = urls.first().toLocalFile();
    if (isModified())
        SaveChangesPrompt(m_dialogFileName, kSaveTitle);
    openDocument(path);
}

bool TMainForm::saveDocument()
{
    QString error;
    if (!WriteDocument(m_documentName, RichEdit1->utf8View(), &error)) {
        m_dialogs->messageDialog(m_documentName + QStringLiteral(" に書き込めません\n") + error,
                                 BoxIcon::Error, BoxButton::Yes);
        return false;
    }
    m_dialogFileName = m_documentName;
    setTitle(1);
    SetEditorStatus(4, QString());
    setModifiedOff();
    SetEditorStatus(0, FormatDocumentSize(double(GetFileSizeOf(m_documentName))));
    Timer4->setInterval(1000);
    Timer4->start();
    return true;
}

void TMainForm::FileSaveClick()
{
    if (!isModified())
        return;
    // An untitled document has no file yet: ask for one rather than writing
    // a file called 無題 into whatever the current folder is.
    if (m_documentName == kUntitledName) {
        FileSaveAsClick();
        return;
    }
    saveDocument();
}

void TMainForm::FileSaveAsClick()
{
    m_saveDialogFilter = m_fileTypeFilter;
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::Save;
    request.title = m_saveDialogTitle;
    request.folder = m_config.DataFolder;
    request.fileName = m_dialogFileName == kUntitledName ? kUntitledName : QFileInfo(m_dialogFileName).fileName();
    if (m_dialogFileName != kUntitledName)
        request.folder = QFileInfo(m_dialogFileName).absolutePath();
    request.filter = m_saveDialogFilter;
    request.filterIndex = m_config.FileTypeIndex;
    request.defaultSuffix = m_defaultExt;
    const FileDialogAnswer answer = m_dialogs->fileDialog(request);
    if (!answer.accepted)
        return;
    SaveDialog1TypeChange(answer.filterIndex); // the type chosen in the dialog
    QCoreApplication::processEvents();
    m_documentName = answer.path;
    m_dialogFileName = answer.path;
    if (!saveDocument())
        return;
    m_config.FileTypeIndex = answer.filterIndex;
    AddRecentFile(answer.path);
}

void TMainForm::SaveDialog1TypeChange(int filterIndex)
{
    const QString ext =
        DefaultExtensionFor(filterIndex, true, m_config.User1_Mask, m_config.User2_Mask);
    if (!ext.isNull())
        m_defaultExt = ext;
}

void TMainForm::User_opClick()
{
    m_windowGeometry = frameGeometry();
    User->showFor(m_windowGeometry);
    m_fileTypeFilter = BuildFileTypeFilter(m_config.User1_Name, m_config.User1_Mask,
                                           m_config.User2_Name, m_config.User2_Mask);
}

void TMainForm::FileSearchClick()
{
    m_windowGeometry = frameGeometry();
    // The file search dialog arrives with its subsystem.
}

// ---------------------------------------------------------------- editing window

int TMainForm::fontPixelHeight() const
{
    return QFontMetrics(RichEdit1->editorFont()).height();
}

void TMainForm::setFormattingRectangle()
{
    RichEdit1->setSideMargins(fontPixelHeight() / 2);
}

void TMainForm::applyEditorAppearance()
{
    QFont font(m_config.FontName);
    font.setPointSize(m_config.FontSize > 0 ? m_config.FontSize : 12);
    font.setStyleHint(QFont::Monospace);
    RichEdit1->setEditorFont(font);
    RichEdit1->setTextColors(colorFromValue(m_config.FontColor),
                             colorFromValue(m_config.ScreenColor));
}

void TMainForm::updateMenuFont()
{
    const QFont font = RichEdit1->editorFont();
    action(QStringLiteral("MenuFont"))
        ->setText(font.family() + QStringLiteral("  ") + QString::number(font.pointSize()));
}

void TMainForm::ShowCaretPosition()
{
    m_caretLine = RichEdit1->caretLine() + 1;
    m_caretColumn = RichEdit1->caretColumn() + 1;
    StatusBar1->setPanelText(1, CaretPanelText(m_caretLine, m_caretColumn));
    if (RichEdit1->hasSelectedText() && m_insertMode)
        StatusBar1->setPanelText(2, QString());
    else
        StatusBar1->setPanelText(2, CharacterCodeText(RichEdit1->characterAtCaret()));
}

void TMainForm::ScrollCaretLine(qsizetype position, qsizetype length)
{
    const qsizetype caret = RichEdit1->caretPosition();
    RichEdit1->selectRange(caret, caret + length);
    RichEdit1->scrollLineToSecond(RichEdit1->lineOfPosition(position));
}

QChar TMainForm::RichEdit1KeyPress(QChar typed)
{
    QChar c = typed;
    if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
        c = c.toUpper();
    if (!TypedCharStopsRebuild(c))
        return c;
    Timer4->stop();
    if (c == QChar(13))
        return c;
    return FilterTypedChar(c, RichEdit1->caretColumn() + 1, m_programLetter);
}

void TMainForm::RichEdit1KeyDown(QKeyEvent* event, bool afterHandling)
{
    const int key = event->key();
    if (!afterHandling) {
        if (m_completion.isActive() && key != Qt::Key_F1) {
            m_completion.end();
            // Any key but these accepts the offer: the caret goes behind it.
            if (key != Qt::Key_Backspace && key != Qt::Key_Escape && RichEdit1->hasSelectedText())
                RichEdit1->setCaretPosition(RichEdit1->selectionEndPosition());
        }
        return;
    }
    if (m_abortPending)
        return;
    ShowCaretPosition();
    SelectIndexEntryForLine(m_caretLine);
    StatusBar1->setPanelText(5, RichEdit1->hasSelectedText() ? kSelection : QString());
    m_insertMode = !RichEdit1->overwriteMode();
    RichEdit1SelectionChange();
    EditMenuClick();
    // F3 (find next) arrives with find and replace.
}

void TMainForm::RichEdit1MouseDown()
{
    if (m_abortPending || m_transfer.TransferActive)
        return;
    ShowCaretPosition();
    SelectIndexEntryForLine(m_caretLine);
    StatusBar1->setPanelText(5, RichEdit1->hasSelectedText() ? kSelection : QString());
    EditMenuClick();
}

void TMainForm::RichEdit1MouseWheel(int delta)
{
    const int line = RichEdit1->caretLine();
    const int target = delta < 1 ? std::min(line + 1, RichEdit1->lineCount() - 1)
                                 : std::max(line - 1, 0);
    RichEdit1->setCaretPosition(RichEdit1->lineStart(target));
    ScrollCaretLine(RichEdit1->caretPosition(), 0);
    RichEdit1->viewport()->update();
    ShowCaretPosition();
}

void TMainForm::RichEdit1SelectionChange()
{
    const CaretShape shape = CaretShapeFor(m_insertMode, fontPixelHeight());
    StatusBar1->setPanelText(3, m_insertMode ? QStringLiteral("挿入") : QStringLiteral("上書"));
    RichEdit1->setCaretShape(shape.width, shape.height);
}

void TMainForm::RichEdit1Change()
{
    if (!isModified())
        return;
    if (m_titleKind != 4)
        setTitle(4);
    StatusBar1->setPanelText(4, QStringLiteral("<変更>"));
    if (!m_config.options.op18) {
        Timer4->setInterval(1000);
        Timer4->start();
    }
}

void TMainForm::completeWord()
{
    const bool wasActive = m_completion.isActive();
    const QString before = RichEdit1->lineText(RichEdit1->caretLine()).left(RichEdit1->caretColumn());
    const WordCompletion::Step step = m_completion.press(before);
    if (step.kind == WordCompletion::Step::Beep) {
        m_dialogs->beep();
        return;
    }
    qsizetype start = RichEdit1->caretPosition();
    if (wasActive) {
        start = RichEdit1->selectionStartPosition();
    } else {
        RichEdit1->setCaretPosition(start);
    }
    RichEdit1->replaceSelection(step.text);
    RichEdit1->selectRange(start, start + step.text.toUtf8().size());
    if (step.kind == WordCompletion::Step::Withdraw)
        m_dialogs->beep();
}

void TMainForm::EditUndoClick()
{
    if (RichEdit1->isUndoAvailable())
        RichEdit1->undo();
}

void TMainForm::EditCutClick()
{
    RichEdit1->cut();
}

void TMainForm::EditCopyClick()
{
    RichEdit1->copy();
}

void TMainForm::EditPasteClick()
{
    RichEdit1->paste();
    EditMenuClick();
}

void TMainForm::EditDeleteClick()
{
    RichEdit1->removeSelectedText();
}

void TMainForm::EditAllClick()
{
    RichEdit1->selectAll(true);
    if (RichEdit1->hasSelectedText() && m_insertMode) {
        StatusBar1->setPanelText(5, kSelection);
        EditMenuClick();
    }
}

void TMainForm::EditDateTimeClick()
{
    RichEdit1->replaceSelection(DateTimeCommentText(QDateTime::currentDateTime()));
}

void TMainForm::EditDateClick()
{
    RichEdit1->replaceSelection(DateCommentText(QDateTime::currentDateTime()));
}

void TMainForm::EditFontClick()
{
    const bool wasModified = isModified();
    FontChoice choice{RichEdit1->editorFont().family(), RichEdit1->editorFont().pointSize(),
                      valueFromColor(RichEdit1->textColor())};
    if (m_dialogs->fontDialog(choice)) {
        QFont font(choice.family);
        font.setPointSize(choice.pointSize > 0 ? choice.pointSize : 12);
        RichEdit1->setEditorFont(font);
        RichEdit1->setCaretPosition(0);
        RichEdit1->viewport()->update();
        updateMenuFont();
        RichEdit1->setTextColors(colorFromValue(choice.color), RichEdit1->backgroundColor());
    }
    Timer4->stop();
    if (!wasModified) {
        setModifiedOff();
        setWindowTitle(QStringLiteral("<編集>") + m_dialogFileName + QStringLiteral(" - Kelvra") +
                       m_versionSuffix);
        StatusBar1->setPanelText(4, QString());
    }
    RichEdit1SelectionChange();
    setFormattingRectangle();
}

void TMainForm::screen_colorClick()
{
    const bool wasModified = isModified();
    int color = valueFromColor(RichEdit1->backgroundColor());
    if (m_dialogs->colorDialog(color))
        RichEdit1->setTextColors(RichEdit1->textColor(), colorFromValue(color));
    if (!wasModified)
        setWindowTitle(QStringLiteral("<編集>") + m_documentName + QStringLiteral(" - Kelvra") +
                       m_versionSuffix);
}

void TMainForm::font_colorClick()
{
    const bool wasModified = isModified();
    int color = valueFromColor(RichEdit1->textColor());
    if (m_dialogs->colorDialog(color))
        RichEdit1->setTextColors(colorFromValue(color), RichEdit1->backgroundColor());
    if (!wasModified) {
        setWindowTitle(QStringLiteral("<編集>") + m_documentName + QStringLiteral(" - Kelvra") +
                       m_versionSuffix);
        StatusBar1->setPanelText(4, QString());
    }
}

// ---------------------------------------------------------------- program-number index

void TMainForm::clearProgramIndex()
{
    m_indexModel->beginChange();
    m_programIndex.clear();
    m_indexModel->endChange();
}

void TMainForm::addProgramIndexEntry(const ProgramIndexEntry& entry)
{
    m_indexModel->beginChange();
    m_programIndex.append(entry);
    m_indexModel->endChange();
}

void TMainForm::SelectIndexEntryForLine(int line)
{
    const int entry = m_programIndex.entryForLine(line);
    if (entry >= 0 && ComboBox1->currentIndex() != entry)
        ComboBox1->setCurrentIndex(entry);
}

void TMainForm::ScanProgramNumbers(int line, int column)
{
    Q_UNUSED(column); // the caret's line is the line of caret - column
    RichEdit1->viewport()->setCursor(Qt::WaitCursor);
    const IndexScanPlan plan = PlanIndexScan(m_programIndex, RichEdit1->lineCount(), ScanLineCount,
                                             RichEdit1->caretLine(), RichEdit1->firstChangedLine());
    m_indexModel->beginChange();
    RebuildProgramIndex(m_programIndex, RichEdit1->utf8View(), plan, m_programLetter);
    m_indexModel->endChange();
    RichEdit1->resetChangedLine();
    SelectIndexEntryForLine(line + 1);
    StatusBar1->setPanelText(6, QString());
    BitBtn1->setEnabled(true);
    RichEdit1->viewport()->setCursor(Qt::IBeamCursor);
    IndexScanDone = true;
}

void TMainForm::BitBtn1Click()
{
    if (!HasProgramNumberMark(RichEdit1->utf8View()))
        return;
    m_abortPending = false;
    SetScanMode(true);
    BitBtn1->setEnabled(false);
    Timer4->stop();
    StatusBar1->setPanelText(6, kScanning);
    StatusBar1->repaint();
    ScanProgramNumbers(1, 0);
    RichEdit1SelectionChange();
    Timer4->setInterval(100);
    SetTransferMode(false);
}

void TMainForm::Timer4Timer()
{
    Timer4->stop();
    if (m_config.options.op18)
        return;
    if (!HasProgramNumberMark(RichEdit1->utf8View()))
        return;
    BitBtn1->setEnabled(false);
    StatusBar1->setPanelText(6, kScanning);
    StatusBar1->repaint();
    ScanProgramNumbers(RichEdit1->caretLine(), RichEdit1->caretColumn());
    RichEdit1SelectionChange();
    Timer4->setInterval(100);
    ScanLineCount = RichEdit1->lineCount();
}

void TMainForm::ComboBox1Click(int row)
{
    if (m_programIndex.isEmpty() || row < 0 || row >= m_programIndex.size())
        return;
    const ProgramIndexEntry entry = m_programIndex.at(row);
    const int line = entry.line - 1;
    if (line >= RichEdit1->lineCount() || RichEdit1->lineText(line) != entry.text) {
        // The line changed since the scan: the entry is stale.
        m_indexModel->beginChange();
        m_programIndex.removeAt(row);
        m_indexModel->endChange();
        RichEdit1->setFocus();
        ShowCaretPosition();
        SelectIndexEntryForLine(m_caretLine);
        return;
    }
    RichEdit1->setCaretPosition(RichEdit1->lineStart(line));
    ScrollCaretLine(RichEdit1->caretPosition(), entry.text.toUtf8().size());
    RichEdit1->setFocus();
    ComboBox1->setCurrentIndex(row);
    ShowCaretPosition();
}

void TMainForm::FileNukidasiClick()
{
    if (RichEdit1->isEmptyText())
        return;
    const TextRange range =
        ProgramRangeAt(RichEdit1->utf8View(), RichEdit1->lineStart(RichEdit1->caretLine()));
    RichEdit1->selectRange(range.from, range.to);
    if (RichEdit1->hasSelectedText() && m_insertMode) {
        StatusBar1->setPanelText(5, kSelection);
        EditMenuClick();
    }
}

bool TMainForm::CancelIndexScan()
{
    if (!waitingForIndexScan || IndexScanDone)
        return false;
    m_dialogs->systemBox(QStringLiteral("ﾌﾟﾛｸﾞﾗﾑ番号検索を中止します｡"), QStringLiteral("中止"),
                         BoxIcon::Error, BoxButton::Ok);
    RichEdit1->setCaretPosition(0);
    ScrollCaretLine(0, 0);
    ShowCaretPosition();
    StatusBar1->setPanelText(5, QString());
    RichEdit1->setFocus();
    RichEdit1->viewport()->setCursor(Qt::IBeamCursor);
    IndexScanDone = true;
    waitingForIndexScan = false;
    SetScanMode(false);
    return true;
}
