#pragma once
#include "Janela.h"

#include <QString>

#include <functional>
#include <memory>

namespace Ui {
class TFRcopias;
}
class Copias;

// The window of the backups, for a user who never opens a terminal (talvano-copia --janela):
// the backups with their date, size, figures and verdict; a backup made now; the restore of
// one, after a confirmation that says what is replaced and where it is kept; the folder the
// backups go to. It works only while the Talvano is closed, and says so; long work shows its
// progress and can be cancelled where cancelling leaves nothing half written.
class TFRcopias : public JanelaFixa {
    Q_OBJECT
public:
    explicit TFRcopias(const QString &banco, QWidget *parent = nullptr);
    ~TFRcopias() override;

    // Fills the list again and says whether the Talvano holds the database.
    void atualizar();

protected:
    void showEvent(QShowEvent *evento) override;

private:
    void BTfazerClick();
    void BTrestaurarClick();
    void BTescolherClick();
    void BTpadraoClick();
    // Keeps the folder chosen (empty: the default one) and shows where the next backups go.
    void mudarPasta(const QString &pasta);

    // Runs `trabalho` away from the window, which answers meanwhile, under a progress window
    // saying `texto`; its "Cancelar" interrupts the helper process at work. Throws what the
    // work threw; false when it was cancelled.
    bool emSegundoPlano(const QString &texto, const std::function<void()> &trabalho);
    // The Talvano has the database open: told in the window, and the work refused.
    bool bancoLivre();
    Copias copias() const;

    std::unique_ptr<Ui::TFRcopias> m_ui;
    QString m_banco;
};
