#pragma once
#include "ModeloLayout.h"

#include <QByteArray>
#include <QString>

// Reads the layout files kept as data (JSON) into the layout model. Every
// defect of a file is thrown as ErroSistema with a message in Portuguese.
namespace CarregadorLayout {

// A layout compiled into the program, by file name: ":/layouts/<nome>.json".
Layout carregar(const QString &nome);
Layout carregarArquivo(const QString &caminho);
Layout carregarBytes(const QByteArray &json, const QString &origem);

} // namespace CarregadorLayout
