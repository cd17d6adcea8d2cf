#include "editor/user_form.h"

#include "app/configuration.h"
#include "editor/document_files.h"
#include "editor/editing_rules.h"
#include "platform/app_paths.h"
#include "platform/dialog_service.h"
#include "platform/ini_file.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kForbidden = QStringLiteral("/:,;?<>|");

} // namespace

TUser::TUser(Configuration& config, DialogService& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint),
      m_config(config), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("User"));
    setWindowTitle(QStringLiteral("ﾕｰｻﾞ定義"));
    setFixedSize(379, 173);
    auto edit = [this](const char* name, const QString& label, int x, int y, int width) {
        auto* caption = new QLabel(label, this);
        caption->move(x, y - 16);
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setGeometry(x, y, width, 21);
        e->installEventFilter(this);
        return e;
    };
    LabeledEdit1 = edit("LabeledEdit1", QStringLiteral("ﾕｰｻﾞ定義１(表示名)"), 16, 32, 233);
    LabeledEdit2 = edit("LabeledEdit2", QStringLiteral("拡張子"), 256, 32, 105);
    LabeledEdit3 = edit("LabeledEdit3", QStringLiteral("ﾕｰｻﾞ定義２(表示名)"), 16, 80, 233);
    LabeledEdit4 = edit("LabeledEdit4", QStringLiteral("拡張子"), 256, 80, 97);
    auto button = [this](const char* name, const QString& caption, int x, int width) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(x, 128, width, 25);
        b->setAutoDefault(false);
        return b;
    };
    Button1 = button("Button1", QStringLiteral("変更"), 64, 113);
    connect(Button1, &QPushButton::clicked, this, &TUser::Button1Click);
    connect(button("Button2", QStringLiteral("中止"), 208, 57), &QPushButton::clicked, this,
            &TUser::Button2Click);
    connect(button("Button3", QStringLiteral("戻る"), 288, 65), &QPushButton::clicked, this,
            &TUser::Button3Click);
}

int TUser::showFor(const QRect& main)
{
    int top = main.top() + main.height() / 2 - height() / 2;
    int left = main.left() + main.width() / 2 - width() / 2;
    move(left < 0 ? main.left() : left, top < 0 ? main.top() : top);
    LabeledEdit1->setText(m_config.User1_Name);
    LabeledEdit2->setText(m_config.User1_Mask);
    LabeledEdit3->setText(m_config.User2_Name);
    LabeledEdit4->setText(m_config.User2_Mask);
    return exec();
}

bool TUser::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    auto* edit = qobject_cast<QLineEdit*>(watched);
    const bool isExtension = edit == LabeledEdit2 || edit == LabeledEdit4;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        if (isExtension && !edit->text().isEmpty())
            edit->setText(NormalizeExtension(edit->text()));
        if (!isExtension || !edit->text().isEmpty())
            Button1->setFocus();
        return true;
    }
    if (isExtension && key->text().size() == 1 && !KeyNotInSet(key->text().at(0), kForbidden)) {
        m_dialogs.systemBox(QStringLiteral("この文字は拡張子に使えません｡\n/:,;?<>|"),
                            QStringLiteral("確認"), BoxIcon::Error, BoxButton::Ok);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TUser::Button1Click()
{
    LabeledEdit2->setText(NormalizeExtension(LabeledEdit2->text()));
    LabeledEdit4->setText(NormalizeExtension(LabeledEdit4->text()));
    if (LabeledEdit1->text().isEmpty())
        LabeledEdit1->setText(QStringLiteral("ﾕｰｻﾞ定義1"));
    if (LabeledEdit3->text().isEmpty())
        LabeledEdit3->setText(QStringLiteral("ﾕｰｻﾞ定義2"));
    m_config.User1_Name = LabeledEdit1->text();
    m_config.User1_Mask = LabeledEdit2->text();
    m_config.User2_Name = LabeledEdit3->text();
    m_config.User2_Mask = LabeledEdit4->text();
    accept();
}

void TUser::Button2Click()
{
    LabeledEdit1->setText(m_config.User1_Name);
    LabeledEdit2->setText(m_config.User1_Mask);
    LabeledEdit3->setText(m_config.User2_Name);
    LabeledEdit4->setText(m_config.User2_Mask);
    reject();
}

void TUser::Button3Click()
{
    reject();
}

void TUser::done(int result)
{
    IniFile sub(AppPaths::subIniFile());
    sub.writeInteger(QStringLiteral("UserPos"), QStringLiteral("Left"), x());
    sub.writeInteger(QStringLiteral("UserPos"), QStringLiteral("Top"), y());
    sub.save();
    QDialog::done(result);
}
