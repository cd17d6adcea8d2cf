#pragma once

#include <QDialog>

struct Options;
class DialogService;
class QPushButton;
class QTableWidget;

// The option dialog: 22 rows of "Y"/"N" values chosen from a pick list (rows 3
// and 4, the excluded ports, are free text). "変更" applies, "戻る" closes and
// asks first when edits were not applied.
class TOptionForm : public QDialog
{
    Q_OBJECT
public:
    TOptionForm(Options& options, DialogService& dialogs, QWidget* parent = nullptr);

    // Places the dialog on the main window's centre and runs it modally.
    void showFor(const QRect& mainGeometry);
    // Position as the dialog computes it from the main window (halves truncated).
    static QPoint placement(const QRect& mainGeometry, const QSize& dialogSize);

public slots:
    void FormShow();
    void Button1Click();
    void Button2Click();
    void ValueListEditor1StringsChanging();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void FormClose();

    Options& m_options;
    DialogService& m_dialogs;
    QTableWidget* ValueListEditor1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    bool m_filling = false;
    bool m_closed = false;
};
