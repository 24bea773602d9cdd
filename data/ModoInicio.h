#pragma once
#include <QString>
#include <QVariant>

// How the program runs, fixed at each start by CONFIGURACAO1 of CONFIGURACOES:
// full mode (the main window and every function) or simple mode (the quick
// receipt window alone). The settings panel changes it for the next start.
enum class Modo { Completo, Simples };

// The flag CONFIGURACAO1 stores for a mode: "Y" full, "N" simple.
inline QString valorDoModo(Modo modo) {
    return modo == Modo::Simples ? QStringLiteral("N") : QStringLiteral("Y");
}

// The mode a stored CONFIGURACAO1 gives: exactly "N" is simple mode; anything
// else ("Y", a lower-case "n", blank, NULL, no row at all) is full mode.
inline Modo modoDaConfiguracao(const QVariant &configuracao1) {
    return configuracao1.toString() == valorDoModo(Modo::Simples) ? Modo::Simples : Modo::Completo;
}
