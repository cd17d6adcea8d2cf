#include "serial/auto_form.h"

#include "platform/dialog_service.h"
#include "serial/auto_selection.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

TAutoForm::TAutoForm(DialogService& dialogs, QWidget* parent) : QDialog(parent), m_dialogs(dialogs)
{
    setObjectName("AutoForm");
    setWindowTitle(QString::fromUtf8("自動切替"));

    LabeledEdit1 = new QLineEdit(this);
    LabeledEdit1->setObjectName("LabeledEdit1");
    LabeledEdit1->setMaxLength(AutoSelection::kMaxLength);
    // Pasted text obeys the same rule as typed keys.
    LabeledEdit1->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-5-]{0,3}"), LabeledEdit1));
    LabeledEdit1->installEventFilter(this);

    Label1 = new QLabel(QString::fromUtf8("ﾂﾘｰ設定も可です。番号－番号"), this);
    Label1->setObjectName("Label1");
    Label1->setStyleSheet("color: red; font-weight: bold;");

    Button1 = new QPushButton(QString::fromUtf8("ＯＮ"), this);
    Button1->setObjectName("Button1");
    Button1->setAutoDefault(false);
    Button2 = new QPushButton(QString::fromUtf8("ｷｬﾝｾﾙ"), this);
    Button2->setObjectName("Button2");
    Button2->setAutoDefault(false);

    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("自動選択番号"), LabeledEdit1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(Label1);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &TAutoForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TAutoForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TAutoForm::FormShow()
{
    if (m_mainGeometry.isValid())
        move(AutoSelection::CentredPosition(m_mainGeometry, size()));
    LabeledEdit1->clear();
    LabeledEdit1->setFocus();
}

bool TAutoForm::LabeledEdit1KeyPress(QChar key)
{
    switch (AutoSelection::ClassifyKey(key, LabeledEdit1->text().isEmpty())) {
    case AutoSelection::KeyVerdict::Accept:
        return false;
    case AutoSelection::KeyVerdict::ConfirmOn:
        Button1->setFocus();
        return true;
    case AutoSelection::KeyVerdict::Refuse:
        m_dialogs.systemBox(AutoSelection::RefusalText(), AutoSelection::RefusalCaption(),
                            BoxIcon::Error, BoxButton::Ok);
        return true;
    }
    return true;
}

bool TAutoForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == LabeledEdit1 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            return LabeledEdit1KeyPress(QLatin1Char('\r'));
        if (key->key() == Qt::Key_Backspace)
            return LabeledEdit1KeyPress(QLatin1Char('\b'));
        // Keys without a character (arrows, Delete, Tab, Escape) keep their
        // usual meaning, as only typed characters are filtered.
        const QString text = key->text();
        if (!text.isEmpty() && text[0].isPrint())
            return LabeledEdit1KeyPress(text[0]);
    }
    return QDialog::eventFilter(watched, event);
}

void TAutoForm::Button1Click()
{
    m_selectionNumber = LabeledEdit1->text();
    accept();
}

std::optional<QString> RunAutoForm(QWidget* parent, const QRect& mainGeometry,
                                   DialogService& dialogs)
{
    TAutoForm form(dialogs, parent);
    form.setMainWindowGeometry(mainGeometry);
    if (form.exec() != QDialog::Accepted)
        return std::nullopt;
    return form.SelectionNumber();
}
