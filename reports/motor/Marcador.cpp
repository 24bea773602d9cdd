#include "Marcador.h"

#include "ErroSistema.h"

#include <QRegularExpression>

namespace {

QString erroExpressao(const QString &expressao) {
    return QStringLiteral("Expressão inválida no relatório: [%1]").arg(expressao);
}

Trecho analisarExpressao(const QString &expressao) {
    static const QRegularExpression campo(
        QString::fromLatin1(R"re(^\s*(\w+)\s*\.\s*"([^"]+)"\s*$)re"));
    static const QRegularExpression soma(
        QString::fromLatin1(
            R"re(^\s*SUM\s*\(\s*<\s*(\w+)\s*\.\s*"([^"]+)"\s*>\s*,\s*(\w+)\s*\)\s*$)re"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression contagem(
        QString::fromLatin1(R"re(^\s*COUNT\s*\(\s*(\w+)\s*\)\s*$)re"),
        QRegularExpression::CaseInsensitiveOption);

    Trecho t;
    if (auto m = campo.match(expressao); m.hasMatch()) {
        t.tipo = Trecho::Campo;
        t.alias = m.captured(1);
        t.campo = m.captured(2);
    } else if (auto m = soma.match(expressao); m.hasMatch()) {
        t.tipo = Trecho::Soma;
        t.alias = m.captured(1);
        t.campo = m.captured(2);
        t.banda = m.captured(3);
    } else if (auto m = contagem.match(expressao); m.hasMatch()) {
        t.tipo = Trecho::Contagem;
        t.banda = m.captured(1);
    } else {
        throw ErroSistema(erroExpressao(expressao));
    }
    return t;
}

} // namespace

QList<Trecho> analisarMarcadores(const QString &texto) {
    QList<Trecho> trechos;
    QString literal;
    auto fecharLiteral = [&] {
        if (!literal.isEmpty())
            trechos.push_back({Trecho::Literal, literal, {}, {}, {}});
        literal.clear();
    };

    for (qsizetype i = 0; i < texto.size(); ++i) {
        if (texto[i] != u'[') {
            literal += texto[i];
            continue;
        }
        // The matching bracket: expressions may hold brackets of their own.
        int profundidade = 1;
        qsizetype fim = i + 1;
        for (; fim < texto.size() && profundidade > 0; ++fim) {
            if (texto[fim] == u'[')
                ++profundidade;
            else if (texto[fim] == u']')
                --profundidade;
        }
        if (profundidade != 0)
            throw ErroSistema(erroExpressao(texto.mid(i + 1)));
        fecharLiteral();
        trechos.push_back(analisarExpressao(texto.mid(i + 1, fim - i - 2)));
        i = fim - 1;
    }
    fecharLiteral();
    return trechos;
}

QList<Trecho> trechoLiteral(const QString &texto) {
    if (texto.isEmpty())
        return {};
    return {Trecho{Trecho::Literal, texto, {}, {}, {}}};
}
