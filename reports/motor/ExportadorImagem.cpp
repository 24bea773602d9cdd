#include "Exportadores.h"

#include "ArquivoTemporario.h"
#include "ErroDeArquivo.h"
#include "ErroSistema.h"
#include "Renderizador.h"
#include "SaidaArquivo.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

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

QStringList exportarImagens(const RelatorioPreparado &relatorio, const QString &arquivo,
                            const char *formato, int qualidade, int resolucao,
                            bool arquivoPorPagina, bool cortar, bool monocromatico,
                            const Progresso &progresso) {
    const int total = int(relatorio.paginas.size());
    const int paginas = arquivoPorPagina ? total : qMin(total, 1);
    QStringList nomes;
    for (int i = 0; i < paginas; ++i) {
        nomes << arquivoDaPagina(arquivo, i);
        // Every name is checked before the first picture: a name too long or a file that
        // may not be replaced says so at once.
        SaidaArquivo::conferirDestino(nomes.last());
    }
    // The pictures wait, one after the other, in a work file of the temporary folder that a
    // kill cannot leave behind, and replace the files of their names only once every page is
    // drawn: a cancel or a failure half way leaves the files of an earlier export as they were
    // and nothing of this one.
    ArquivoTemporario figuras;
    QList<std::pair<qint64, qint64>> trechos; // where each picture is in the work file
    try {
        for (int i = 0; i < paginas; ++i) {
            QImage img = Renderizador::imagem(relatorio, i, resolucao);
            if (cortar)
                img = recortarMargemBranca(img);
            if (monocromatico)
                img = img.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
            if (monocromatico && qstrcmp(formato, "JPEG") == 0)
                img = img.convertToFormat(QImage::Format_Grayscale8);
            const qint64 inicio = figuras.tamanho();
            QIODevice &dispositivo = figuras.dispositivo();
            dispositivo.seek(inicio);
            const bool salva = img.save(&dispositivo, formato, qualidade);
            figuras.sincronizar(); // a failure of the temporary folder, told as such
            if (!salva)
                throw ErroSistema(
                    QStringLiteral("A figura da página %1 não pôde ser feita.").arg(i + 1));
            trechos.push_back({inicio, figuras.tamanho() - inicio});
            informar(progresso, i + 1, paginas);
        }
    } catch (const ErroSistema &e) {
        throw ErroDeArquivo::naoGravado(arquivo, e);
    }
    // Each picture into its own file, under a work name; then all take their names at once.
    std::vector<std::unique_ptr<SaidaArquivo>> prontas;
    for (int i = 0; i < paginas; ++i) {
        prontas.push_back(std::make_unique<SaidaArquivo>(nomes[i]));
        prontas.back()->copiarDe(figuras.descritor(), trechos[i].first, trechos[i].second);
        prontas.back()->preparar();
        informar(progresso, paginas, paginas);
    }
    for (auto &pronta : prontas)
        pronta->substituir();
    return nomes;
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
