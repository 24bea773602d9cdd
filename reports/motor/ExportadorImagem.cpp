#include "Exportadores.h"

#include "ErroSistema.h"
#include "Renderizador.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/types.h>

namespace Exportadores {

namespace {

QImage recortarMargemBranca(const QImage &img) {
    int esquerda = img.width(), direita = -1, topo = img.height(), baixo = -1;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb *linha = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if ((linha[x] & 0xffffff) != 0xffffff) {
                esquerda = qMin(esquerda, x);
                direita = qMax(direita, x);
                topo = qMin(topo, y);
                baixo = qMax(baixo, y);
            }
        }
    }
    if (direita < 0)
        return img;
    return img.copy(QRect(QPoint(esquerda, topo), QPoint(direita, baixo)));
}

// The pictures of a run wait in temporary files beside their targets, which they
// replace only once every page is written: a cancel or a failure half way leaves
// the files of an earlier export as they were and nothing of this one.
class PaginasPendentes {
public:
    ~PaginasPendentes() {
        for (const QString &t : m_temporarios)
            QFile::remove(t);
    }

    void adicionar(const QString &temporario, const QString &destino) {
        m_temporarios << temporario;
        m_destinos << destino;
    }

    void concluir() {
        for (qsizetype i = 0; i < m_temporarios.size(); ++i) {
            const QString &destino = m_destinos[i];
            const QFileDevice::Permissions permissoes =
                QFile::exists(destino) ? QFile::permissions(destino) : permissoesDeArquivoNovo();
            // rename() replaces an existing file in one step, as QFile::rename does not.
            if (!QFile::setPermissions(m_temporarios[i], permissoes) ||
                std::rename(QFile::encodeName(m_temporarios[i]).constData(),
                            QFile::encodeName(destino).constData()) != 0)
                throw ErroSistema(QStringLiteral("Não foi possível gravar o arquivo %1: %2")
                                      .arg(destino, QString::fromLocal8Bit(strerror(errno))));
            m_temporarios[i].clear();
        }
        m_temporarios.clear();
    }

private:
    QStringList m_temporarios;
    QStringList m_destinos;
};

QStringList exportarImagens(const RelatorioPreparado &relatorio, const QString &arquivo,
                            const char *formato, int qualidade, int resolucao,
                            bool arquivoPorPagina, bool cortar, bool monocromatico,
                            const Progresso &progresso) {
    QStringList gravados;
    PaginasPendentes pendentes;
    const int total = int(relatorio.paginas.size());
    const int paginas = arquivoPorPagina ? total : qMin(total, 1);
    for (int i = 0; i < paginas; ++i) {
        QImage img = Renderizador::imagem(relatorio, i, resolucao);
        if (cortar)
            img = recortarMargemBranca(img);
        if (monocromatico)
            img = img.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
        if (monocromatico && qstrcmp(formato, "JPEG") == 0)
            img = img.convertToFormat(QImage::Format_Grayscale8);
        const QString nome = arquivoDaPagina(arquivo, i);
        const QFileInfo info(nome);
        const QString sufixo = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
        QTemporaryFile saida(info.absoluteDir().filePath(u'.' + info.completeBaseName() +
                                                         QStringLiteral("-XXXXXX") + sufixo));
        saida.setAutoRemove(false);
        const bool aberto = saida.open();
        if (aberto)
            pendentes.adicionar(saida.fileName(), nome);
        if (!aberto || !img.save(&saida, formato, qualidade) || !saida.flush())
            throw ErroSistema(QStringLiteral("Não foi possível gravar o arquivo %1: %2")
                                  .arg(nome, saida.errorString()));
        gravados << nome;
        informar(progresso, i + 1, paginas);
    }
    pendentes.concluir();
    return gravados;
}

} // namespace

QFileDevice::Permissions permissoesDeArquivoNovo() {
    // The umask is read where the kernel shows it, without changing it even for a moment.
    QFile estado(QStringLiteral("/proc/self/status"));
    mode_t mascara = 022;
    if (estado.open(QIODevice::ReadOnly)) {
        for (const QByteArray &linha : estado.readAll().split('\n'))
            if (linha.startsWith("Umask:"))
                mascara = mode_t(linha.mid(6).trimmed().toUInt(nullptr, 8));
    }
    const mode_t modo = 0666 & ~mascara;
    QFileDevice::Permissions p;
    const std::pair<mode_t, QFileDevice::Permissions> bits[] = {
        {0400, QFileDevice::ReadOwner | QFileDevice::ReadUser},
        {0200, QFileDevice::WriteOwner | QFileDevice::WriteUser},
        {0040, QFileDevice::ReadGroup},
        {0020, QFileDevice::WriteGroup},
        {0004, QFileDevice::ReadOther},
        {0002, QFileDevice::WriteOther}};
    for (const auto &[bit, permissao] : bits)
        if (modo & bit)
            p |= permissao;
    return p;
}

QString arquivoDaPagina(const QString &arquivo, int pagina) {
    if (pagina == 0)
        return arquivo;
    const QFileInfo info(arquivo);
    const QString sufixo = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    const QString base = sufixo.isEmpty() ? arquivo : arquivo.left(arquivo.size() - sufixo.size());
    return QStringLiteral("%1_%2%3").arg(base).arg(pagina + 1).arg(sufixo);
}

QStringList jpeg(const RelatorioPreparado &relatorio, const QString &arquivo,
                 const ConfigExportacaoJpeg &config, const Progresso &progresso) {
    return exportarImagens(relatorio, arquivo, "JPEG", config.qualidade, config.resolucao,
                           config.arquivoPorPagina, config.cortarPaginas, config.monocromatico,
                           progresso);
}

QStringList bmp(const RelatorioPreparado &relatorio, const QString &arquivo,
                const ConfigExportacaoBmp &config, const Progresso &progresso) {
    return exportarImagens(relatorio, arquivo, "BMP", -1, config.resolucao, config.arquivoPorPagina,
                           config.cortarPaginas, config.monocromatico, progresso);
}

} // namespace Exportadores
