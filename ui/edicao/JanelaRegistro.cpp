#include "JanelaRegistro.h"

#include "ControleDados.h"
#include "Datamodule1.h"
#include "Protegido.h"

void JanelaRegistro::vincular() {
    vincularControles(this, Datamodule1);
}

void JanelaRegistro::showEvent(QShowEvent *evento) {
    protegido([this] {
        vincular();
        FormShow();
    });
    JanelaFixa::showEvent(evento);
}
