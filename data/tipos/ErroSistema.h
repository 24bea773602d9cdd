#pragma once
#include <QString>
#include <exception>
#include <vector>

// The one error that travels from the database layer and the report service up
// to the edge of an event handler, carrying the original message text.
class ErroSistema : public std::exception {
public:
    explicit ErroSistema(QString mensagem, std::vector<long> codigos = {})
        : m_mensagem(std::move(mensagem)), m_utf8(m_mensagem.toUtf8()),
          m_codigos(std::move(codigos)) {}

    const QString &mensagem() const { return m_mensagem; }
    // Firebird's status vector codes (isc_*), empty for errors of our own layers.
    const std::vector<long> &codigos() const { return m_codigos; }
    bool temCodigo(long codigo) const {
        for (long c : m_codigos)
            if (c == codigo)
                return true;
        return false;
    }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_mensagem;
    QByteArray m_utf8;
    std::vector<long> m_codigos;
};
