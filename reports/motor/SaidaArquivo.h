#pragma once
#include <QString>

#include <memory>

class QIODevice;

// The one way a file the user chose is written (every export, a saved report): where it goes
// is checked first; it is written aside, in an unnamed file of the destination's folder where
// the disk allows one; its last byte is checked on the disk; and only then does it take the
// place of an earlier file of that name, in one step. A run that fails, is cancelled or is
// killed leaves the earlier file as it was, and no work file in the user's folder.
//
// The same rule for every format: an earlier file is replaced keeping its permissions; a
// read-only one, a folder, a device or a named pipe is refused; a symbolic link is followed to
// its file, except a link in a shared sticky folder (as /tmp) that belongs neither to the user
// nor to the folder's owner, which the kernel's protected-symlinks rule would not follow
// either. Every refusal and failure is an ErroSistema in Portuguese naming the file.
class SaidaArquivo {
public:
    explicit SaidaArquivo(const QString &destino);
    ~SaidaArquivo(); // unfinished, the work file is dropped
    SaidaArquivo(const SaidaArquivo &) = delete;
    SaidaArquivo &operator=(const SaidaArquivo &) = delete;

    // The checks of the constructor alone, for a writer that must say no before long work.
    static void conferirDestino(const QString &destino);

    const QString &destino() const;
    void escrever(const char *dados, qint64 tamanho);
    void escrever(const QByteArray &dados);
    // Writes over bytes already written (a size known only at the end).
    void escreverEm(qint64 posicao, const char *dados, qint64 tamanho);
    // Appends a file's bytes (a work file of the temporary folder): all of them, or `quantos`
    // from `inicio`.
    void copiarDe(const QString &arquivo);
    void copiarDe(int descritor, qint64 inicio = 0, qint64 quantos = -1);
    // A device over escrever, for the writers that take one (an image's encoder); a failure
    // it meets is kept and thrown by concluir.
    QIODevice &dispositivo();
    // Every byte on the disk, then the file in place of the destination. Throws.
    void concluir();
    // The same in two steps, for a run of several files that replace their earlier ones only
    // when every one is ready: preparar puts the finished file on the disk under a work name
    // of its own; substituir, a rename that needs no room, puts it in place.
    void preparar();
    void substituir();

private:
    struct Dados;
    std::unique_ptr<Dados> d;
};
