#pragma once
#include "ContagemBanco.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// The backups of one database file: made by the engine, verified by restoring them into a
// scratch database whose figures must equal the live ones, kept in the folder Copias beside
// the database, and restored without ever deleting the file they replace.
class Copias {
public:
    explicit Copias(const QString &banco);

    const QString &banco() const { return m_banco; }
    // ~/Talvano/Copias for ~/Talvano/DADOS.GDB.
    QString pasta() const;
    // The day's backup: DADOS-AAAA-MM-DD.fbk in the folder of backups.
    QString arquivoDoDia(QDate dia) const;

    struct Resultado {
        QString arquivo; // where the backup is, under its failed name when it failed
        bool verificada = false;
        QString motivo;         // why the verification failed
        ContagemBanco contagem; // of the live database
        double segundos = 0;
        qint64 tamanho = 0;
    };

    // Backs the database up into `arquivo` and verifies it. A verified backup takes the
    // name (replacing an older one there); one that fails keeps a name that says so, and the
    // good one by that name is left alone. Throws ErroSistema when no backup could be written
    // (no room, no permission, the database open in the program): nothing is changed then.
    Resultado fazer(const QString &arquivo);

    // Restores `arquivo` into a scratch database beside the live one and compares its figures
    // with `esperada`: nothing when they agree, else why they do not.
    std::optional<QString> verificar(const QString &arquivo, const ContagemBanco &esperada) const;

    // At the normal end of the program: the day's backup, unless there is a good one already,
    // then only the newest 30 kept. What goes wrong is kept for the next start; never throws.
    std::optional<Resultado> copiaDiaria(QDate hoje);

    // A start of the program that finds the backup of its last end still running stops it:
    // the user's work comes first, and the next end makes the day's backup again. Waits for
    // the stopped run to let the database go. A backup made with talvano-copia is left alone.
    void interromperCopiaDoPrograma();

    // The notice left for the next start by a backup that failed, given once.
    std::optional<QString> tomarAviso();

    struct Item {
        enum Estado { Verificada, Falhou, SemRegistro };
        QString arquivo;
        qint64 tamanho = 0;
        QDateTime quando;
        Estado estado = SemRegistro;
        QString detalhe; // the figures, or the reason it failed
    };
    // The backups in the folder, newest first.
    QList<Item> listar() const;

    struct Restauracao {
        QString guardado;       // where the database that was replaced now is; empty if none was
        ContagemBanco contagem; // of the restored database
        bool conferidaComRegistro = false; // equal to the figures recorded with the backup
    };
    // Restores `arquivo` as the database. Refuses while the program has the database open.
    // The restore goes into a scratch file first and is verified there; only then is the
    // current file moved aside under a dated name and the restored one put in its place.
    // Throws ErroSistema, with nothing changed, when any step before that fails.
    Restauracao restaurar(const QString &arquivo);

    // Keeps the newest `quantas` day's backups, good or failed, and never deletes the only
    // good one.
    void girar(int quantas = 30);

private:
    QString arquivoDoAviso() const;
    QString arquivoDaTrava() const;
    void deixarAviso(const QString &texto);

    QString m_banco;
};
