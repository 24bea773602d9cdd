#include "AvisadorCaixas.h"

#include <cstdio>

#include <QtGui/QKeyEvent>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QApplication>
#include <QtWidgets/QMessageBox>

namespace {

const QString kTitulo = QStringLiteral("Talvano");

// The boxes show paths and names as typed: the bitmap-era MS Sans Serif of the windows joins
// "T" and "M" into "™" ("/TMP" reads "/™P"), so the boxes take Tahoma, as the system's own
// message boxes of that era did, with no ligatures in any case.
QFont fonteDasCaixas() {
    QFont fonte;
    fonte.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                       QStringLiteral("DejaVu Sans")});
    fonte.setPointSize(8);
    fonte.setStyleStrategy(QFont::PreferNoShaping);
    return fonte;
}

// A box that tells a question put away (Esc, the close box) from one answered No.
class Caixa : public QMessageBox {
public:
    using QMessageBox::QMessageBox;
    bool desistiu = false;

protected:
    void keyPressEvent(QKeyEvent *evento) override {
        if (evento->matches(QKeySequence::Cancel) && button(QMessageBox::No)) {
            desistiu = true;
            reject();
            return;
        }
        QMessageBox::keyPressEvent(evento);
    }
    void closeEvent(QCloseEvent *evento) override {
        if (button(QMessageBox::No)) {
            desistiu = true;
            reject();
            evento->accept();
            return;
        }
        QMessageBox::closeEvent(evento);
    }
};

// Button captions are set here so that the boxes speak Portuguese whatever translations are
// loaded. A question put away unanswered gives -1.
int mostrar(QMessageBox::Icon icone, const QString &texto, QMessageBox::StandardButtons botoes,
            QMessageBox::StandardButton padrao) {
    Caixa caixa(icone, kTitulo, texto, botoes, QApplication::activeWindow());
    caixa.setFont(fonteDasCaixas());
    if (auto *ok = caixa.button(QMessageBox::Ok))
        ok->setText(QStringLiteral("OK"));
    if (auto *sim = caixa.button(QMessageBox::Yes))
        sim->setText(QStringLiteral("&Sim"));
    if (auto *nao = caixa.button(QMessageBox::No))
        nao->setText(QStringLiteral("&Não"));
    caixa.setDefaultButton(padrao);
    const int resposta = caixa.exec();
    return caixa.desistiu ? -1 : resposta;
}

} // namespace

void AvisadorCaixas::mensagem(const QString &texto) {
    mostrar(QMessageBox::Information, texto, QMessageBox::Ok, QMessageBox::Ok);
}

void AvisadorCaixas::erro(const QString &texto) {
    // Also on the terminal, for a user who started the program from one.
    std::fprintf(stderr, "%s\n", texto.toLocal8Bit().constData());
    std::fflush(stderr);
    mostrar(QMessageBox::Critical, texto, QMessageBox::Ok, QMessageBox::Ok);
}

Avisador::Resposta AvisadorCaixas::perguntar(const QString &texto) {
    switch (mostrar(QMessageBox::Question, texto, QMessageBox::Yes | QMessageBox::No,
                    QMessageBox::Yes)) {
    case QMessageBox::Yes:
        return Resposta::Sim;
    case QMessageBox::No:
        return Resposta::Nao;
    default:
        return Resposta::Desistiu;
    }
}

void AvisadorCaixas::bipe() {
    QApplication::beep();
}
