#pragma once
#include <QWidget>
#include <memory>

namespace Ui {
class TFRprincipal;
}

// The main window of full mode: six picture buttons that open the other
// windows, the quick manual, or end the program.
class TFRprincipal : public QWidget {
    Q_OBJECT
public:
    explicit TFRprincipal(QWidget *parent = nullptr);
    ~TFRprincipal() override;

protected:
    void showEvent(QShowEvent *evento) override;

private:
    void BTmanualClick();
    void BTsairClick();

    std::unique_ptr<Ui::TFRprincipal> m_ui;
};

extern TFRprincipal *FRprincipal;
