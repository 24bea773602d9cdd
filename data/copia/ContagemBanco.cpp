#include "ContagemBanco.h"

#include "Firebird.h"

#include <QLocale>
#include <QStringList>

ContagemBanco ContagemBanco::contar(Fb::Conexao &conexao) {
    Fb::Transacao tra(conexao);
    tra.iniciar();
    const auto linhas = [&](const char *tabela) {
        return Fb::Comando(tra,
                           QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(tabela)))
            .executar()
            .at(0)
            .toLongLong();
    };
    ContagemBanco n;
    n.clientes = linhas("CLIENTES");
    n.emitente = linhas("EMITENTE");
    n.recibos = linhas("RECIBOS");
    n.configuracoes = linhas("CONFIGURACOES");
    n.tipo = linhas("TIPO");
    const QVariant soma =
        Fb::Comando(tra, QStringLiteral("SELECT SUM(VALOR) FROM RECIBOS")).executar().at(0);
    n.somaValor = soma.isValid() ? soma.value<Dinheiro>() : Dinheiro();
    tra.commit();
    return n;
}

QString ContagemBanco::paraTexto() const {
    return QStringLiteral("%1 %2 %3 %4 %5 %6")
        .arg(clientes)
        .arg(emitente)
        .arg(recibos)
        .arg(configuracoes)
        .arg(tipo)
        .arg(somaValor.centavos());
}

std::optional<ContagemBanco> ContagemBanco::deTexto(const QString &texto) {
    const QStringList partes = texto.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (partes.size() != 6)
        return std::nullopt;
    qint64 v[6];
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        v[i] = partes[i].toLongLong(&ok);
        if (!ok)
            return std::nullopt;
    }
    ContagemBanco n;
    n.clientes = v[0];
    n.emitente = v[1];
    n.recibos = v[2];
    n.configuracoes = v[3];
    n.tipo = v[4];
    n.somaValor = Dinheiro::deCentavos(v[5]);
    return n;
}

QString ContagemBanco::descrever() const {
    const QLocale br(QLocale::Portuguese, QLocale::Brazil);
    const auto quantos = [&br](qint64 n, const char *um, const char *varios) -> QString {
        return br.toString(n) + u' ' + QString::fromUtf8(n == 1 ? um : varios);
    };
    return QStringLiteral("%1 somando R$ %2; %3; %4; %5; %6")
        .arg(quantos(recibos, "recibo", "recibos"), somaValor.formatado(),
             quantos(clientes, "cliente", "clientes"), quantos(emitente, "emitente", "emitentes"),
             quantos(configuracoes, "configuração", "configurações"),
             quantos(tipo, "tipo", "tipos"));
}
