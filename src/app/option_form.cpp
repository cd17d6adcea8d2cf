#include "app/option_form.h"

#include "app/options.h"
#include "platform/app_paths.h"
#include "platform/dialog_service.h"
#include "platform/ini_file.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// Rows with a pick list take only "Y" or "N"; rows 3 and 4 take any text.
class ValueDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        if (optionRows()[index.row()].freeText)
            return QStyledItemDelegate::createEditor(parent, option, index);
        auto* combo = new QComboBox(parent);
        combo->setObjectName(QStringLiteral("PickList"));
        combo->addItems({QStringLiteral("Y"), QStringLiteral("N")});
        combo->setEditable(false);
        return combo;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (auto* combo = qobject_cast<QComboBox*>(editor))
            combo->setCurrentText(index.data().toString());
        else
            QStyledItemDelegate::setEditorData(editor, index);
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override
    {
        if (auto* combo = qobject_cast<QComboBox*>(editor))
            model->setData(index, combo->currentText());
        else
            QStyledItemDelegate::setModelData(editor, model, index);
    }
};

} // namespace

TOptionForm::TOptionForm(Options& options, DialogService& dialogs, QWidget* parent)
    : QDialog(parent), m_options(options), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("OptionForm"));
    setWindowTitle(QStringLiteral("ｵﾌﾟｼｮﾝ設定"));
    setModal(true);

    ValueListEditor1 = new QTableWidget(kOptionRowCount, 2, this);
    ValueListEditor1->setObjectName(QStringLiteral("ValueListEditor1"));
    ValueListEditor1->setHorizontalHeaderLabels({QStringLiteral("項目"), QStringLiteral("値")});
    ValueListEditor1->verticalHeader()->hide();
    ValueListEditor1->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    ValueListEditor1->horizontalHeader()->setStretchLastSection(true);
    ValueListEditor1->setItemDelegateForColumn(1, new ValueDelegate(ValueListEditor1));
    ValueListEditor1->setEditTriggers(QAbstractItemView::AllEditTriggers);
    for (int row = 0; row < kOptionRowCount; ++row) {
        auto* label = new QTableWidgetItem(QString::fromUtf8(optionRows()[row].label));
        label->setFlags(Qt::ItemIsEnabled);
        ValueListEditor1->setItem(row, 0, label);
        ValueListEditor1->setItem(row, 1, new QTableWidgetItem());
    }
    connect(ValueListEditor1, &QTableWidget::itemChanged, this,
            &TOptionForm::ValueListEditor1StringsChanging);

    Button1 = new QPushButton(QStringLiteral("変更"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("戻る"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &TOptionForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TOptionForm::Button2Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ValueListEditor1);
    layout->addLayout(buttons);
    resize(560, 560);
}

QPoint TOptionForm::placement(const QRect& main, const QSize& dialog)
{
    int top = main.top() + main.height() / 2 - dialog.height() / 2;
    if (top < 0)
        top = main.top();
    int left = main.left() + main.width() / 2 - dialog.width() / 2;
    if (left < 0)
        left = main.left();
    return QPoint(left, top);
}

void TOptionForm::showFor(const QRect& mainGeometry)
{
    move(placement(mainGeometry, frameGeometry().size()));
    FormShow();
    exec();
}

void TOptionForm::FormShow()
{
    m_closed = false;
    m_filling = true;
    for (int row = 0; row < kOptionRowCount; ++row)
        ValueListEditor1->item(row, 1)->setText(m_options.*optionRows()[row].field);
    m_filling = false;
    ValueListEditor1->setCurrentCell(0, 1);
    Button1->setEnabled(false);
}

void TOptionForm::ValueListEditor1StringsChanging()
{
    if (!m_filling)
        Button1->setEnabled(true);
}

void TOptionForm::Button1Click()
{
    for (int row = 0; row < kOptionRowCount; ++row)
        m_options.*optionRows()[row].field = ValueListEditor1->item(row, 1)->text();
    Button1->setEnabled(false);
}

void TOptionForm::Button2Click()
{
    FormClose();
    done(QDialog::Accepted);
}

void TOptionForm::reject()
{
    FormClose();
    QDialog::reject();
}

void TOptionForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    QDialog::closeEvent(event);
}

void TOptionForm::FormClose()
{
    if (m_closed)
        return;
    m_closed = true;
    // Commit an edit still open in a cell.
    if (QWidget* editor = ValueListEditor1->indexWidget(ValueListEditor1->currentIndex()))
        QMetaObject::invokeMethod(ValueListEditor1, "commitData", Q_ARG(QWidget*, editor));
    if (Button1->isEnabled()) {
        const int answer = m_dialogs.systemBox(
            QStringLiteral("ｵﾌﾟｼｮﾝ設定が変更されています｡\n保存せずに終了しますか？"),
            QStringLiteral("ｵﾌﾟｼｮﾝ設定"), BoxIcon::Information, BoxButton::Yes | BoxButton::No);
        if (answer != BoxButton::Yes)
            Button1Click();
    }
    // The position is kept for the record; the dialog always centres itself.
    IniFile sub(AppPaths::subIniFile());
    sub.writeInteger(QStringLiteral("OptionPos"), QStringLiteral("Left"), x());
    sub.writeInteger(QStringLiteral("OptionPos"), QStringLiteral("Top"), y());
    sub.save(); // a failed write of these positions is not reported
}
