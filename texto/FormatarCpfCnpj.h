#pragma once
#include <QString>

// Removes ".", "-" and "/" and punctuates what is left by its length alone:
// 11 characters as a CPF (ddd.ddd.ddd-dd), 14 as a CNPJ (dd.ddd.ddd/dddd-dd),
// any other length stays unpunctuated. Validates nothing, refuses nothing.
QString FormatarCpfCnpj(const QString &numero);
