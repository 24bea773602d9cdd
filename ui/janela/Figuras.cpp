#include "Figuras.h"

#include <QFile>
#include <QToolButton>
#include <utility>

// The pictures live in a static library: their resource is registered by hand.
static void registrarFiguras() {
    static const bool registradas = [] {
        Q_INIT_RESOURCE(figuras);
        return true;
    }();
    Q_UNUSED(registradas);
}

QIcon figura(const QString &nome) {
    registrarFiguras();
    const QString arquivo = QStringLiteral(":/figuras/%1.svg").arg(nome);
    if (!QFile::exists(arquivo))
        return {};
    return QIcon(arquivo);
}

void figurarColunaDeBotoes(QWidget *janela) {
    const std::pair<const char *, const char *> coluna[] = {
        {"BTnovo", "novo"},         {"BTsalvar", "salvar"},   {"BTalterar", "alterar"},
        {"BTcancelar", "cancelar"}, {"BTexcluir", "excluir"}, {"BTconsultar", "localizar"},
        {"BTsair", "sair"},
    };
    for (const auto &[botao, nome] : coluna)
        if (auto *b = janela->findChild<QToolButton *>(QLatin1String(botao)))
            b->setIcon(figura(QLatin1String(nome)));
}
