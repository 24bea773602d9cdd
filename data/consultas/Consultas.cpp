#include "Consultas.h"

#include "Conjunto.h"
#include "Datamodule1.h"
#include "ErroSistema.h"
#include "Firebird.h"
#include "Win1252.h"

namespace Consultas {

namespace {

const QString k_selectClientes = QStringLiteral("SELECT * FROM CLIENTES WHERE");
const QString k_selectRecibos = QStringLiteral("SELECT * FROM RECIBOS WHERE");

// A search no row can answer: the key is never null, and its index says so at once.
QStringList nenhumCliente() {
    return {k_selectClientes, QStringLiteral("ID_CLIENTE IS NULL ORDER BY CLIENTE")};
}

QStringList nenhumRecibo() {
    return {k_selectRecibos, QStringLiteral("ID_RECIBO IS NULL ORDER BY ID_RECIBO")};
}

QStringList comeco(const QString &linha1, const QString &coluna, const QString &literal,
                   const QString &ordem) {
    return {linha1, coluna + QStringLiteral(" LIKE '") + literal + QStringLiteral("%' ") + ordem};
}

// A typed number written with digits and wildcards only: any other character is in no number.
bool soDigitosECuringas(const QString &texto) {
    for (const QChar c : texto)
        if ((c < QLatin1Char('0') || c > QLatin1Char('9')) && c != QLatin1Char('%') &&
            c != QLatin1Char('_'))
            return false;
    return true;
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

std::optional<QString> literal(const QString &texto, int tamanho) {
    // No stored value holds such a character: the engine would be handed a statement cut at
    // a NUL, or one it cannot even write in the connection's code page.
    if (const auto recusado = Win1252::primeiroRecusadoEmValor(texto))
        throw ErroSistema(
            QStringLiteral("A busca não pode conter o caractere %1: nada do que está gravado o "
                           "tem. Apague-o para continuar a busca.")
                .arg(Win1252::nomeLegivel(*recusado)));
    // Nor is a value longer than its column; the engine would refuse the search's key for
    // the index as too long instead of finding nothing.
    if (texto.size() - texto.count(QLatin1Char('%')) > tamanho)
        return std::nullopt;
    QString r = texto;
    return r.replace(QLatin1Char('\''), QStringLiteral("''"));
}

QStringList clientesTodos() {
    return {QStringLiteral("SELECT * FROM CLIENTES"), QStringLiteral("ORDER BY CLIENTE")};
}

QStringList clientesPorNome(const QString &texto) {
    const auto l = literal(texto, k_tamanhoNome);
    return l ? comeco(k_selectClientes, QStringLiteral("CLIENTE"), *l,
                      QStringLiteral("ORDER BY CLIENTE"))
             : nenhumCliente();
}

QStringList clientesPorCpfCnpj(const QString &texto) {
    const auto l = literal(texto, k_tamanhoCpfCnpj);
    return l ? comeco(k_selectClientes, QStringLiteral("CPFCNPJ"), *l,
                      QStringLiteral("ORDER BY CLIENTE"))
             : nenhumCliente();
}

QStringList clientesPorCpfCnpjPelosNomes(const QString &texto) {
    const auto l = literal(texto, k_tamanhoCpfCnpj);
    return l ? comeco(k_selectClientes, QStringLiteral("CPFCNPJ"), *l,
                      QStringLiteral("PLAN (CLIENTES ORDER IX_CLIENTES_CLIENTE) ORDER BY CLIENTE"))
             : nenhumCliente();
}

QStringList clientesPorCpfCnpj(Fb::Transacao &tra, const QString &texto) {
    const auto l = literal(texto, k_tamanhoCpfCnpj);
    // Without a transaction the dataset's opening starts one; the plain statement serves then.
    if (!tra.ativa() || !l)
        return clientesPorCpfCnpj(texto);
    const Fb::Linha casados =
        Fb::Comando(tra, QStringLiteral("SELECT COUNT(*) FROM (SELECT FIRST %1 CPFCNPJ FROM "
                                        "CLIENTES ORDER BY CLIENTE) C WHERE CPFCNPJ LIKE '%2%'")
                             .arg(k_clientesOlhados)
                             .arg(*l))
            .executar();
    return !casados.empty() && casados.front().toInt() >= k_telaDeLinhas
               ? clientesPorCpfCnpjPelosNomes(texto)
               : clientesPorCpfCnpj(texto);
}

QStringList recibosTodos() {
    return {QStringLiteral("SELECT * FROM RECIBOS"), QStringLiteral("ORDER BY ID_RECIBO DESC")};
}

QStringList recibosPorNome(const QString &texto) {
    const auto l = literal(texto, k_tamanhoNome);
    return l ? comeco(k_selectRecibos, QStringLiteral("CLIENTE"), *l,
                      QStringLiteral("ORDER BY ID_RECIBO"))
             : nenhumRecibo();
}

QStringList recibosPorNomeEmDuasPartes(const QString &texto, qint64 menorNumero, int lidosEmOrdem) {
    // The first part reads the numbers from the lowest to `ate` through the key; its FIRST,
    // which never cuts (they are at most that many distinct integers), keeps the name test
    // outside, so that no list of every receipt with the name is built before the first row.
    // The second part takes the numbers after those through the key too, the name index
    // telling which to read; it is opened only once the first part is read through. The
    // bounds are numbers written out: a subquery there would run again for every row.
    const auto l = literal(texto, k_tamanhoNome);
    if (!l)
        return nenhumRecibo();
    const qint64 ate = menorNumero + lidosEmOrdem;
    const QString nome = QStringLiteral("CLIENTE LIKE '") + *l + QStringLiteral("%'");
    return {QStringLiteral("SELECT * FROM (SELECT FIRST %1 * FROM RECIBOS WHERE ID_RECIBO "
                           "BETWEEN %2 AND %3 ORDER BY ID_RECIBO) R0 WHERE ")
                    .arg(qint64(lidosEmOrdem) + 1)
                    .arg(menorNumero)
                    .arg(ate) +
                nome,
            QStringLiteral("UNION ALL SELECT * FROM (SELECT * FROM RECIBOS WHERE ID_RECIBO > %1 "
                           "AND ")
                    .arg(ate) +
                nome + QStringLiteral(" ORDER BY ID_RECIBO) R1")};
}

QStringList recibosPorNome(Fb::Transacao &tra, const QString &texto) {
    const auto l = literal(texto, k_tamanhoNome);
    if (!tra.ativa() || !l)
        return recibosPorNome(texto);
    // A text with a wildcard is not counted: the index would walk every name that begins
    // with the text before the wildcard, however few of them match.
    const bool contar = !texto.contains(QLatin1Char('%')) && !texto.contains(QLatin1Char('_'));
    // Counted in name order from the first name with the text, and stopped at the cap.
    const Fb::Linha visto =
        Fb::Comando(tra,
                    QStringLiteral("SELECT (SELECT MIN(ID_RECIBO) FROM RECIBOS), %1 FROM "
                                   "RDB$DATABASE")
                        .arg(contar ? QStringLiteral("(SELECT COUNT(*) FROM (SELECT FIRST %1 "
                                                     "CLIENTE FROM RECIBOS WHERE CLIENTE LIKE '")
                                              .arg(k_recibosPoucos) +
                                          *l + QStringLiteral("%' ORDER BY CLIENTE) R)")
                                    : QString::number(k_recibosPoucos)))
            .executar();
    if (visto.size() < 2 || visto[0].isNull() || visto[1].toInt() < k_recibosPoucos)
        return recibosPorNome(texto);
    return recibosPorNomeEmDuasPartes(texto, visto[0].toLongLong());
}

QStringList recibosPorNumero(const QString &texto) {
    const auto faixas = faixasDoPrefixo(texto, k_maiorNumeroRecibo);
    // A letter, or any character but a digit or a wildcard, is in no number: the engine, which
    // writes the number in plain ASCII, would refuse an accented one outright.
    if (!faixas) {
        if (!soDigitosECuringas(texto))
            return nenhumRecibo();
        return comeco(k_selectRecibos, QStringLiteral("ID_RECIBO"), texto,
                      QStringLiteral("ORDER BY ID_RECIBO"));
    }
    if (faixas->empty())
        return nenhumRecibo();
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

Conjunto &conjuntoDaBusca(Busca busca) {
    TDatamodule1 &dm = TDatamodule1::instancia();
    return busca == Busca::ClientesPorNome || busca == Busca::ClientesPorCpfCnpj ? *dm.Clientes
                                                                                 : *dm.Recibos;
}

void verificarTexto(Busca busca, const QString &texto) {
    // A number search refuses nothing: a character in no number finds nothing.
    if (busca != Busca::RecibosPorNumero)
        literal(texto, busca == Busca::ClientesPorCpfCnpj ? k_tamanhoCpfCnpj : k_tamanhoNome);
}

QStringList sqlDaBusca(Busca busca, Fb::Transacao &tra, const QString &texto) {
    switch (busca) {
    case Busca::ClientesPorNome:
        return clientesPorNome(texto);
    case Busca::ClientesPorCpfCnpj:
        return clientesPorCpfCnpj(tra, texto);
    case Busca::RecibosPorNome:
        return recibosPorNome(tra, texto);
    case Busca::RecibosPorNumero:
        break;
    }
    return recibosPorNumero(texto);
}

void buscar(Busca busca, const QString &texto) {
    Conjunto &conjunto = conjuntoDaBusca(busca);
    conjunto.fechar();
    conjunto.substituirSql(sqlDaBusca(busca, *TDatamodule1::instancia().Tra, texto));
}

void mostrarTodosOsClientes() {
    TDatamodule1::instancia().Clientes->substituirSql(clientesTodos());
}

void mostrarTodosOsRecibos() {
    TDatamodule1::instancia().Recibos->substituirSql(recibosTodos());
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
