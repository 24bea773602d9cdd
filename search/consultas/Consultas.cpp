#include "Consultas.h"

namespace Consultas {

namespace {

const QString k_selectClientes = QStringLiteral("SELECT * FROM CLIENTES WHERE");
const QString k_selectRecibos = QStringLiteral("SELECT * FROM RECIBOS WHERE");

QStringList comeco(const QString &linha1, const QString &coluna, const QString &texto,
                   const QString &ordem) {
    return {linha1,
            coluna + QStringLiteral(" LIKE '") + literal(texto) + QStringLiteral("%' ") + ordem};
}

bool soDigitos(const QString &texto) {
    if (texto.isEmpty())
        return false;
    for (const QChar c : texto)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

} // namespace

QString literal(const QString &texto) {
    QString r = texto;
    return r.replace(QLatin1Char('\''), QStringLiteral("''"));
}

QStringList clientesTodos() {
    return {QStringLiteral("SELECT * FROM CLIENTES"), QStringLiteral("ORDER BY CLIENTE")};
}

QStringList clientesPorNome(const QString &texto) {
    return comeco(k_selectClientes, QStringLiteral("CLIENTE"), texto,
                  QStringLiteral("ORDER BY CLIENTE"));
}

QStringList clientesPorCpfCnpj(const QString &texto) {
    return comeco(k_selectClientes, QStringLiteral("CPFCNPJ"), texto,
                  QStringLiteral("ORDER BY CLIENTE"));
}

QStringList recibosTodos() {
    return {QStringLiteral("SELECT * FROM RECIBOS"), QStringLiteral("ORDER BY ID_RECIBO DESC")};
}

QStringList recibosPorNome(const QString &texto) {
    return comeco(k_selectRecibos, QStringLiteral("CLIENTE"), texto,
                  QStringLiteral("ORDER BY ID_RECIBO"));
}

QStringList recibosPorNumero(const QString &texto) {
    const auto faixas = faixasDoPrefixo(texto, k_maiorNumeroRecibo);
    if (!faixas)
        return comeco(k_selectRecibos, QStringLiteral("ID_RECIBO"), texto,
                      QStringLiteral("ORDER BY ID_RECIBO"));
    // The key is never null: no number begins so, and the index says it at once.
    if (faixas->empty())
        return {k_selectRecibos, QStringLiteral("ID_RECIBO IS NULL ORDER BY ID_RECIBO")};
    // One part per range, each walked in key order from its first number, the parts in
    // ascending order: the first rows come at once, with nothing to sort.
    QStringList partes;
    for (const Faixa &f : *faixas)
        partes << QStringLiteral("%1SELECT * FROM (SELECT * FROM RECIBOS WHERE ID_RECIBO BETWEEN "
                                 "%2 AND %3 ORDER BY ID_RECIBO) F%4")
                      .arg(partes.isEmpty() ? QString() : QStringLiteral("UNION ALL "))
                      .arg(f.de)
                      .arg(f.ate)
                      .arg(partes.size());
    return partes;
}

std::optional<std::vector<Faixa>> faixasDoPrefixo(const QString &digitos, qint64 maior) {
    if (!soDigitos(digitos))
        return std::nullopt;
    std::vector<Faixa> faixas;
    // No number is written with a leading zero but 0 itself.
    if (digitos.front() == QLatin1Char('0')) {
        if (digitos.size() == 1 && maior >= 0)
            faixas.push_back({0, 0});
        return faixas;
    }
    if (digitos.size() > QString::number(maior).size())
        return faixas;
    const qint64 prefixo = digitos.toLongLong();
    for (qint64 de = prefixo, largura = 1; de <= maior; de *= 10, largura *= 10) {
        // The last range may pass the largest number: it stops there.
        const qint64 ate = largura - 1 > maior - de ? maior : de + largura - 1;
        faixas.push_back({de, ate});
        if (de > maior / 10)
            break;
    }
    return faixas;
}

} // namespace Consultas
