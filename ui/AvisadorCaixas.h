#pragma once
#include "Avisador.h"

// The program's sink for notices, errors, questions and the beep: the platform's standard
// message boxes, in front of the window that is active, in a font that shows the text as typed.
class AvisadorCaixas : public Avisador {
public:
    void mensagem(const QString &texto) override;
    void erro(const QString &texto) override;
    Resposta perguntar(const QString &texto) override;
    void bipe() override;
};
