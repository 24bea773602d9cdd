#pragma once
#include <QByteArray>
#include <QIODevice>

#include <exception>
#include <functional>
#include <memory>

// A work file in the temporary folder that has no name from the start: the system takes it
// back when it is closed, also when the program is killed, so nothing is ever left behind. A
// failure says in Portuguese what happened to the temporary folder and where it is ("A pasta
// temporária /tmp está cheia").
class ArquivoTemporario {
public:
    ArquivoTemporario(); // throws ErroSistema when the folder refuses it
    ~ArquivoTemporario();
    ArquivoTemporario(const ArquivoTemporario &) = delete;
    ArquivoTemporario &operator=(const ArquivoTemporario &) = delete;

    int descritor() const { return m_fd; }
    qint64 tamanho() const { return m_tamanho; }
    void escrever(const char *dados, qint64 tamanho) { escreverEm(m_tamanho, dados, tamanho); }
    void escrever(const QByteArray &dados) { escrever(dados.constData(), dados.size()); }
    void escreverEm(qint64 posicao, const char *dados, qint64 tamanho);
    QByteArray ler(qint64 posicao, qint64 tamanho) const;
    // Every byte written on the disk: a full disk that held back the last blocks says so now.
    void sincronizar();
    // A device for the writers that take one; a failure it meets is kept and thrown by
    // sincronizar.
    QIODevice &dispositivo();

private:
    int m_fd = -1;
    qint64 m_tamanho = 0;
    std::unique_ptr<QIODevice> m_dispositivo;
};

// A device that hands what a Qt writer gives, at the place it writes, to a function, keeping a
// failure (thrown by the function) instead of letting it run through Qt's code.
class DispositivoDeEscrita : public QIODevice {
public:
    using Escrever = std::function<void(qint64 posicao, const char *dados, qint64 tamanho)>;
    explicit DispositivoDeEscrita(Escrever escrever);
    qint64 size() const override { return m_tamanho; }
    // Throws the failure met, if any.
    void conferir() const;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *dados, qint64 tamanho) override;

private:
    Escrever m_escrever;
    std::exception_ptr m_falha;
    qint64 m_tamanho = 0;
};
