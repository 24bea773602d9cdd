#include "ReciboRapido.h"

#include "Relatorio.h"

namespace {

void preencher(Relatorio &relatorio, const char *nome, const QString &texto) {
    if (ObjetoLayout *objeto = FindObject(relatorio, QLatin1String(nome)))
        SetText(objeto, texto);
}

} // namespace

void preencherReciboRapido(Relatorio &report, const TextosReciboRapido &recibo) {
    preencher(report, "Lextenso", recibo.extenso);
    preencher(report, "Lreferente", recibo.referente);
    preencher(report, "Lvalor", recibo.valor);
    preencher(report, "Lnome", recibo.recebi);
    preencher(report, "Ldata", recibo.data);
    preencher(report, "Lobs", recibo.observacoes);
    preencher(report, "Lforma", recibo.local);
    // Without an issuer's name the line is left for a hand-written signature.
    preencher(report, "LBemitente",
              recibo.emitente.isEmpty() ? QStringLiteral("Assinatura") : recibo.emitente);
    preencher(report, "LBdadosemitente", recibo.dadosEmitente);
}
