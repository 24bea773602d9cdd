#pragma once
#include "JanelaRegistro.h"

#include <QString>
#include <functional>
#include <memory>

class QImage;

namespace Ui {
class TFRcademitente;
}
class EsquemaEdicao;
class TColFocus;
class CampoCpfCnpj;

// The issuer registry: the one row of EMITENTE (name, tax number, city, logo), shown from the
// shared dataset Emitente and kept with Alterar, Salvar, Cancelar and Sair.
class TFRcademitente : public JanelaRegistro {
    Q_OBJECT
public:
    explicit TFRcademitente(QWidget *parent = nullptr);
    ~TFRcademitente() override;

    void restaura();

    // Chooses the logo file, given the file to start on; empty when the user cancels. The
    // window's own chooser is a file dialog with a picture preview; tests put another.
    using Seletor = std::function<QString(QWidget *janela, const QString &inicial)>;
    void definirSeletor(Seletor seletor) { m_seletor = std::move(seletor); }
    static QString escolherBitmap(QWidget *janela, const QString &inicial);
    // The chooser's preview of a file: the picture as the logo would show it once loaded;
    // null for a file the logo would refuse.
    static QImage previaDoBitmap(const QString &caminho);

protected:
    bool eventFilter(QObject *objeto, QEvent *evento) override;

private:
    void FormShow() override;
    void BTalterarClick();
    void BTsalvarClick();
    void BTcancelarClick();
    void BTsairClick();
    void btnCarregarClick();
    void CarregarImagem();
    void SpeedButton1Click();
    void Label6Click();
    void DBEdit3Exit();

    std::unique_ptr<Ui::TFRcademitente> m_ui;
    TColFocus *ColFocus1;
    EsquemaEdicao *m_esquema;
    // Punctuated when left.
    CampoCpfCnpj *m_cpfCnpj;
    Seletor m_seletor;
    // The chooser starts on the last file chosen during the run.
    QString m_arquivoImagem;
};

extern TFRcademitente *FRcademitente;
