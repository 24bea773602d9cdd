#include "Relatorio.h"

#include "CarregadorLayout.h"
#include "ErroSistema.h"
#include "Preparador.h"

Relatorio::Relatorio(const QString &nomeLayout)
    : m_layout(CarregadorLayout::carregar(nomeLayout)) {}

Relatorio::Relatorio(Layout layout) : m_layout(std::move(layout)) {}

void Relatorio::ligarOrigem(const QString &alias, OrigemDeLinhas *origem) {
    m_origens.insert(alias, origem);
}

void Relatorio::prepararTudo() {
    m_preparado.limpar();
    Preparador preparador(m_layout, m_origens, m_preparado);
    preparador.prepararTudo();
}

ObjetoLayout *FindObject(Layout &layout, const QString &nome) {
    for (BandaLayout &banda : layout.bandas)
        for (ObjetoLayout &obj : banda.objetos)
            if (obj.nome.compare(nome, Qt::CaseInsensitive) == 0)
                return &obj;
    return nullptr;
}

ObjetoLayout *FindObject(Relatorio &relatorio, const QString &nome) {
    return FindObject(relatorio.layout(), nome);
}

void SetText(ObjetoLayout *objeto, const QString &texto) {
    if (!objeto)
        throw ErroSistema(QStringLiteral("Objeto de relatório inexistente."));
    if (objeto->tipo != TipoObjeto::Texto && objeto->tipo != TipoObjeto::TextoSistema &&
        objeto->tipo != TipoObjeto::Rotulo)
        throw ErroSistema(
            QStringLiteral("O objeto %1 do relatório não contém texto.").arg(objeto->nome));
    objeto->texto = texto;
    objeto->trechos = trechoLiteral(texto);
}

void SetPicture(ObjetoLayout *objeto, const QImage &imagem) {
    if (!objeto)
        throw ErroSistema(QStringLiteral("Objeto de relatório inexistente."));
    if (objeto->tipo != TipoObjeto::Figura)
        throw ErroSistema(
            QStringLiteral("O objeto %1 do relatório não é uma figura.").arg(objeto->nome));
    objeto->imagem = imagem.copy();
}
