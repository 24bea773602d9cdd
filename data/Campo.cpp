#include "Campo.h"

#include "Conjunto.h"
#include "DataDigitada.h"
#include "Dinheiro.h"
#include "ErroSistema.h"
#include "Win1252.h"

#include <QDate>
#include <QTime>

namespace {

// Only the blanks and literals of an edit mask: "  /  /    ", "__/__/____".
bool soMascaraEmBranco(const QString &texto) {
    for (const QChar c : texto)
        if (c != u' ' && c != u'_' && c != u'/' && c != u':')
            return false;
    return true;
}

} // namespace

Campo::Campo(Conjunto *conjunto, int indice, const QString &coluna, TipoCampo tipo, int tamanho)
    : QObject(conjunto), m_conjunto(conjunto), m_indice(indice), m_coluna(coluna), m_tipo(tipo),
      m_tamanho(tamanho) {}

QVariant Campo::valor() const {
    return m_conjunto->valorAtual(m_indice);
}

QVariant Campo::valorAntigo() const {
    return m_conjunto->valorAntigo(m_indice);
}

void Campo::definirValor(const QVariant &valor) {
    QVariant v = valor;
    if (v.isValid() && m_tipo == TipoCampo::Texto) {
        QString t = v.toString();
        if (const auto recusado = Win1252::primeiroRecusadoEmValor(t))
            throw ErroSistema(Win1252::mensagemRecusado(m_coluna, *recusado));
        if (m_tamanho > 0 && t.size() > m_tamanho)
            t.truncate(m_tamanho);
        v = t;
    }
    m_conjunto->definirValorAtual(this, v);
}

QString Campo::formatar(TipoCampo tipo, const QVariant &valor) {
    if (!valor.isValid())
        return {};
    switch (tipo) {
    case TipoCampo::Valor:
        return valor.value<Dinheiro>().formatado();
    case TipoCampo::Data:
        return valor.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    case TipoCampo::Hora:
        return valor.toTime().toString(QStringLiteral("HH:mm:ss"));
    case TipoCampo::Blob:
        return QStringLiteral("(BLOB)");
    case TipoCampo::Texto:
    case TipoCampo::Inteiro:
        break;
    }
    return valor.toString();
}

QString Campo::texto() const {
    return formatar(m_tipo, valor());
}

void Campo::definirTexto(const QString &texto) {
    const QString t = texto.trimmed();
    switch (m_tipo) {
    case TipoCampo::Texto:
        definirValor(texto);
        return;
    case TipoCampo::Blob:
        throw ErroSistema(QStringLiteral("Este campo não aceita texto."));
    default:
        break;
    }
    // Blank, or a masked date or time left blank, reads as empty; anything else must read as
    // the field's type (".", "-", "€" or digits of another script are no amount).
    if (soMascaraEmBranco(t)) {
        definirValor(QVariant());
        return;
    }
    switch (m_tipo) {
    case TipoCampo::Valor: {
        const auto d = Dinheiro::lerTexto(t);
        if (!d)
            throw ErroSistema(
                QStringLiteral("'%1' não é um valor válido. Digite o valor como 1.234,56.")
                    .arg(Win1252::textoLegivel(t)));
        // NUMERIC(18,2): eighteen digits in all, two of them after the comma.
        constexpr int64_t maximo = 999'999'999'999'999'999;
        if (d->centavos() > maximo || d->centavos() < -maximo)
            throw ErroSistema(QStringLiteral("'%1' passa do maior valor que o campo guarda "
                                             "(9.999.999.999.999.999,99).")
                                  .arg(Win1252::textoLegivel(t)));
        definirValor(QVariant::fromValue(*d));
        return;
    }
    case TipoCampo::Inteiro: {
        bool ok = false;
        const int n = t.toInt(&ok);
        if (!ok)
            throw ErroSistema(QStringLiteral("'%1' não é um número inteiro válido.")
                                  .arg(Win1252::textoLegivel(t)));
        definirValor(n);
        return;
    }
    case TipoCampo::Data: {
        const auto d = DataDigitada::ler(t);
        if (!d)
            throw ErroSistema(DataDigitada::motivo(t));
        definirValor(*d);
        return;
    }
    case TipoCampo::Hora: {
        QTime h = QTime::fromString(t, QStringLiteral("HH:mm:ss"));
        if (!h.isValid())
            h = QTime::fromString(t, QStringLiteral("HH:mm"));
        if (!h.isValid())
            throw ErroSistema(
                QStringLiteral("'%1' não é uma hora válida.").arg(Win1252::textoLegivel(t)));
        definirValor(h);
        return;
    }
    case TipoCampo::Texto:
    case TipoCampo::Blob:
        break;
    }
}
