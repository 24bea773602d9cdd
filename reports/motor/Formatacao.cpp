#include "Formatacao.h"

#include "Dinheiro.h"

#include <QDate>
#include <QTime>

#include <cmath>

int FormatoExibicao::casasDecimais() const {
    // "%w.dn": the digits after the point are the decimals.
    const qsizetype ponto = padrao.indexOf(u'.');
    if (ponto < 0)
        return 2;
    int casas = 0;
    for (qsizetype i = ponto + 1; i < padrao.size() && padrao[i].isDigit(); ++i)
        casas = casas * 10 + padrao[i].digitValue();
    return qMin(casas, 9);
}

namespace Formatacao {

namespace {

qint64 potencia10(int n) {
    qint64 p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

// dd/MM/yyyy from the date's numbers: no format string to read for every cell.
QString data(const QDate &d) {
    if (!d.isValid())
        return {};
    int ano = 0, mes = 0, dia = 0;
    d.getDate(&ano, &mes, &dia);
    if (ano < 0 || ano > 9999)
        return d.toString(u"dd/MM/yyyy");
    const char16_t t[10] = {char16_t(u'0' + dia / 10),
                            char16_t(u'0' + dia % 10),
                            u'/',
                            char16_t(u'0' + mes / 10),
                            char16_t(u'0' + mes % 10),
                            u'/',
                            char16_t(u'0' + ano / 1000),
                            char16_t(u'0' + ano / 100 % 10),
                            char16_t(u'0' + ano / 10 % 10),
                            char16_t(u'0' + ano % 10)};
    return QString(reinterpret_cast<const QChar *>(t), 10);
}

} // namespace

QString numero(qint64 valor, int casasValor, int casas) {
    const bool negativo = valor < 0;
    quint64 magnitude = negativo ? quint64(0) - quint64(valor) : quint64(valor);
    if (casasValor > casas) {
        const quint64 divisor = quint64(potencia10(casasValor - casas));
        const quint64 resto = magnitude % divisor;
        magnitude = magnitude / divisor + (resto * 2 >= divisor ? 1 : 0);
    } else {
        magnitude *= quint64(potencia10(casas - casasValor));
    }
    const quint64 escala = quint64(potencia10(casas));
    const QString inteiros = QString::number(magnitude / escala);

    QString resultado;
    for (qsizetype i = 0; i < inteiros.size(); ++i) {
        if (i > 0 && (inteiros.size() - i) % 3 == 0)
            resultado += u'.';
        resultado += inteiros[i];
    }
    if (casas > 0)
        resultado += u',' + QString::number(magnitude % escala).rightJustified(casas, u'0');
    if (negativo && magnitude != 0)
        resultado.prepend(u'-');
    return resultado;
}

bool comoNumero(const QVariant &valor, qint64 &escalado, int &casas) {
    if (!valor.isValid() || valor.isNull())
        return false;
    if (valor.metaType() == QMetaType::fromType<Dinheiro>()) {
        escalado = valor.value<Dinheiro>().centavos();
        casas = 2;
        return true;
    }
    switch (valor.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UInt:
        escalado = valor.toLongLong();
        casas = 0;
        return true;
    case QMetaType::Double:
    case QMetaType::Float:
        escalado = std::llround(valor.toDouble() * 100.0);
        casas = 2;
        return true;
    default:
        return false;
    }
}

QString texto(const QVariant &valor, const FormatoExibicao &formato) {
    if (!valor.isValid() || valor.isNull())
        return {};
    if (formato.tipo == FormatoExibicao::Numerico) {
        qint64 escalado = 0;
        int casas = 0;
        if (comoNumero(valor, escalado, casas))
            return numero(escalado, casas, formato.casasDecimais());
    }
    if (valor.metaType() == QMetaType::fromType<Dinheiro>()) {
        // As a plain number, the way a value prints without a display format.
        QString t = numero(valor.value<Dinheiro>().centavos(), 2, 2).remove(u'.');
        while (t.endsWith(u'0') && t.contains(u','))
            t.chop(1);
        if (t.endsWith(u','))
            t.chop(1);
        return t;
    }
    switch (valor.metaType().id()) {
    case QMetaType::QDate:
        return data(valor.toDate());
    case QMetaType::QTime:
        return valor.toTime().toString(u"hh:mm:ss");
    case QMetaType::QDateTime: {
        const QDateTime momento = valor.toDateTime();
        if (!momento.isValid())
            return {};
        return data(momento.date()) + u' ' + momento.time().toString(u"hh:mm:ss");
    }
    case QMetaType::QByteArray:
        return QString::fromUtf8(valor.toByteArray());
    case QMetaType::Double:
        return QString::number(valor.toDouble(), 'g', 15).replace(u'.', u',');
    default:
        return valor.toString();
    }
}

} // namespace Formatacao
