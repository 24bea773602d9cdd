#pragma once
#include <QIcon>

// The pictures of the program's buttons, drawn so they stay sharp at any size.
enum class Figura {
    Recibo, Cadastro, Emitente, Manual, Relatorios, Sair,
    // The record windows' button column.
    Novo, Salvar, Alterar, Cancelar, Excluir, Consultar, Carregar
};
QIcon desenharFigura(Figura figura, int lado);
