#pragma once
#include <QIcon>

// The pictures of the program's buttons, drawn so they stay sharp at any size.
enum class Figura {
    Recibo,
    Cadastro,
    Emitente,
    Manual,
    Relatorios,
    Sair,
    // The record windows' button column.
    Novo,
    Salvar,
    Alterar,
    Cancelar,
    Excluir,
    Consultar,
    Carregar,
    // The receipt window's printer, client search and calculator.
    Impressora,
    Lupa,
    Calculadora
};
QIcon desenharFigura(Figura figura, int lado);

class QWidget;
// Gives the buttons of a record window's column (BTnovo ... BTsair) their pictures, at
// each button's own icon size; buttons the window lacks are skipped.
void figurarColunaDeBotoes(QWidget *janela);
