#pragma once
#include <QString>

// The quick manual, a Portuguese web page that travels beside the program (manual/).
QString caminhoManual();

// Opens the manual in the desktop's browser, at the section named by `secao` when one is
// given, without waiting; where there is no browser, a message says where the manual is.
void abrirManual(const QString &secao = {});
