#pragma once
#include "ContagemBanco.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// The backups of one database file: made by the engine, verified by restoring them into a
// scratch database whose figures must equal the live ones, kept in a folder of backups, and
// restored without ever deleting the file they replace.
class Copias {
public:
    // `pastaEscolhida`: where the user wants the backups (PreferenciasCopias); empty, or a
    // folder that is missing (the USB stick is out), means the folder Copias beside the
    // database.
    explicit Copias(const QString &banco, const QString &pastaEscolhida = {});

    const QString &banco() const { return m_banco; }
    // The folder the backups go to now.
    QString pasta() const;
    // ~/Talvano/Copias for ~/Talvano/DADOS.GDB.
    QString pastaPadrao() const;
    // The folder chosen is missing, so the backups go to the default one.
    bool pastaEscolhidaFaltando() const;
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
    // name (replacing an older backup of ours there); one that fails keeps a name that says
    // so, and the good one by that name is left alone. Throws ErroSistema when no backup
    // could be written, and nothing is changed then: the target is the database itself, or a
    // file that is not a backup of ours; there is no room for the backup and its verification
    // with a margin the program needs to run; no permission; the database is open.
    Resultado fazer(const QString &arquivo);

    // Restores `arquivo` into a scratch database (in a folder that can be written, the
    // temporary one first) and compares its figures with `esperada`: nothing when they
    // agree, else why they do not.
    std::optional<QString> verificar(const QString &arquivo, const ContagemBanco &esperada) const;

    // At the normal end of the program: the day's backup, unless there is a good one already,
    // then only the newest 30 kept. What goes wrong, and why there was no backup, is kept for
    // the next start; never throws.
    std::optional<Resultado> copiaDiaria(QDate hoje);

    // A start of the program that finds the backup of its last end still running stops it:
    // the user's work comes first, and the next end makes the day's backup again. Waits for
    // the stopped run to let the database go. A backup made with talvano-copia is left alone.
    void interromperCopiaDoPrograma();
    // Whether talvano-copia is working on the database now (a backup or a restore).
    bool copiaEmAndamento() const;
    // Whether a program (the Talvano) has the database open now: backups and restores wait
    // until it is closed.
    bool bancoEmUso() const;

    // The notice left for the next start by a backup that failed or was not made, given once.
    std::optional<QString> tomarAviso();
    // Where that notice, and the lock held while the program's end makes its backup, are kept:
    // in the user's state folder ($XDG_STATE_HOME/talvano), one pair for each database, so
    // a database in a read-only folder is told about too.
    QString arquivoDoAviso() const;
    QString arquivoDaTrava() const;

    struct Item {
        enum Estado { Verificada, Falhou, SemRegistro };
        QString arquivo;
        qint64 tamanho = 0;
        QDateTime quando;
        Estado estado = SemRegistro;
        QString detalhe; // the figures, or the reason it failed
        std::optional<ContagemBanco> contagem;
        qint64 ordem = 0; // the order the backups were made in; 0 for those older than that
    };
    // The backups in the folder, the last made first.
    QList<Item> listar() const;

    struct Restauracao {
        QString guardado;       // where the database that was replaced now is; empty if none was
        ContagemBanco contagem; // of the restored database
        bool conferidaComRegistro = false; // equal to the figures recorded with the backup
        // On a server, when this machine cannot reach the server's disk: the restored and
        // verified register, on the server, waiting to be put in the current one's place.
        QString pendente;
    };
    // Restores `arquivo` as the database. Refuses while the program has the database open.
    // The restore goes into a scratch file first and is verified there; only then is the
    // current file kept under a dated name of its own (never one in use) and the restored one
    // put in its place; the database is never missing, however the run ends. Throws
    // ErroSistema, with nothing changed, when any step before that fails. A server's register
    // is restored through the server beside the current one and verified; run on the server,
    // the current one is then closed to the desks (refused while one is attached), kept under
    // its dated name and replaced.
    Restauracao restaurar(const QString &arquivo);
    // The name the current database is kept under by a restore at `quando` (a counter is
    // added when that name is taken): DADOS-antes-da-restauracao-AAAA-MM-DD-HHMMSS.GDB.
    QString nomeDoGuardado(const QDateTime &quando, int contador = 1) const;

    // Keeps the newest `quantas` day's backups, good or failed, by the order they were made
    // (not by the dates in their names, which a wrong clock gives), never deleting the one
    // named `feita` (the backup just made) nor the only good one.
    void girar(int quantas = 30, const QString &feita = {});

private:
    // Whether the database is a server's register, reached through the server's services.
    bool noServidor() const;
    // "DADOS" for ~/Talvano/DADOS.GDB and for servidor:/srv/talvano/DADOS.GDB.
    QString nomeDoBanco() const;
    qint64 tamanhoDoBanco() const;
    Restauracao restaurarNoServidor(const QString &arquivo);
    QString arquivoDaTravaDaCopia() const;
    void deixarAviso(const QString &texto);
    // Where a scratch database of `tamanho` bytes may be restored for a verification, the
    // backup being written in `pastaDaCopia`; throws ErroSistema when no folder has the room.
    QString pastaDeRascunho(qint64 tamanho, const QString &pastaDaCopia) const;
    std::optional<QString> verificarEm(const QString &arquivo, const ContagemBanco &esperada,
                                       const QString &rascunho) const;
    static QList<Item> listarEm(const QString &pasta);

    QString m_banco;
    QString m_pastaEscolhida;
};
