#pragma once

#include <QDialog>

class DialogService;
class QLineEdit;
class QPushButton;
struct Configuration;

// "ﾕｰｻﾞ定義": the two user-defined file types of the file dialogs.
class TUser : public QDialog
{
    Q_OBJECT
public:
    TUser(Configuration& config, DialogService& dialogs, QWidget* parent = nullptr);

    // Centres over `mainWindow` (the stored window geometry) and runs.
    int showFor(const QRect& mainWindow);

    void Button1Click();
    void Button2Click();
    void Button3Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

private:
    Configuration& m_config;
    DialogService& m_dialogs;
    QLineEdit* LabeledEdit1;
    QLineEdit* LabeledEdit2;
    QLineEdit* LabeledEdit3;
    QLineEdit* LabeledEdit4;
    QPushButton* Button1;
};
