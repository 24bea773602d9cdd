#pragma once
#include <QIcon>
#include <QString>

class QWidget;

// The pictures of the program's buttons and windows: one set of drawings, kept as
// SVG files in figuras/ and built into the program, sharp at every size they are
// shown at. A picture is asked for by its file's name without ".svg" ("salvar",
// "imprimir", "calculadora"); a name the set lacks gives a null icon.
QIcon figura(const QString &nome);

// Gives the buttons of a record window's column (BTnovo ... BTsair) their pictures;
// buttons the window lacks are skipped.
void figurarColunaDeBotoes(QWidget *janela);
