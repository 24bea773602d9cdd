#include "ImpressaoRecibo.h"

#include "Relatorio.h"

namespace ImpressaoRecibo {

namespace {

struct ObjetoTexto {
    const char *nome;
    const char *nomeSegundaVia;
    QString TextosRecibo::*texto;
};

// In the order the objects are filled.
constexpr ObjetoTexto k_objetos[] = {
    {"Valor", "Valor2", &TextosRecibo::valor},
    {"recebi", "recebi2", &TextosRecibo::recebi},
    {"extenso", "extenso2", &TextosRecibo::extenso},
    {"referente", "referente2", &TextosRecibo::referente},
    {"observacoes", "observacoes2", &TextosRecibo::observacoes},
    {"local", "local2", &TextosRecibo::local},
    {"data1", "data2", &TextosRecibo::data},
    {"emitente", "emitente2", &TextosRecibo::emitente},
    {"cpfcnpjemitente", "cpfcnpjemitente2", &TextosRecibo::cpfcnpjemitente},
    {"cpfcnpjcliente", "cpfcnpjcliente2", &TextosRecibo::cpfcnpjcliente},
};

void preencherTexto(Relatorio &relatorio, const char *nome, const QString &texto) {
    if (ObjetoLayout *objeto = FindObject(relatorio, QLatin1String(nome)))
        SetText(objeto, texto);
}

void preencherFigura(Relatorio &relatorio, const char *nome, const QImage &imagem) {
    if (ObjetoLayout *objeto = FindObject(relatorio, QLatin1String(nome)))
        SetPicture(objeto, imagem);
}

} // namespace

void preencherUmaVia(Relatorio &frxReport, const TextosRecibo &recibo) {
    for (const ObjetoTexto &c : k_objetos)
        preencherTexto(frxReport, c.nome, recibo.*c.texto);
    preencherFigura(frxReport, "picture1", recibo.logo);
}

void preencherDuasVias(Relatorio &frxReport1, const TextosRecibo &recibo) {
    for (const ObjetoTexto &c : k_objetos)
        preencherTexto(frxReport1, c.nome, recibo.*c.texto);
    for (const ObjetoTexto &c : k_objetos)
        preencherTexto(frxReport1, c.nomeSegundaVia, recibo.*c.texto);
    preencherFigura(frxReport1, "picture1", recibo.logo);
    preencherFigura(frxReport1, "picture2", recibo.logo);
}

} // namespace ImpressaoRecibo
