#pragma once

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>

#include <algorithm>
#include <optional>
#include <tuple>

// The file operations that recording_calls recorded, replayed on a model of the folder as it
// was, and the states a power cut after each of them may leave on disk.

// One recorded operation, as recording_calls writes it; its file given by inode number.
struct Operation
{
    QByteArray kind;
    qint64 inode;
    qint64 offset; // of a write; the new size of a truncate
    QByteArray name, to, bytes;

    bool namesFile() const
    {
        return kind == "create" || kind == "rename" || kind == "link" || kind == "unlink";
    }
};

inline QList<Operation> readTrace(const QString &path)
{
    QFile file(path);
    QList<Operation> trace;
    const QList<QByteArray> lines
        = file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>();
    for (const QByteArray &line : lines) {
        const QList<QByteArray> field = line.split('\t');
        if (field.size() == 6)
            trace.append({field[0], field[1].toLongLong(), field[2].toLongLong(), field[3],
                field[4], QByteArray::fromHex(field[5])});
    }
    return trace;
}

// The folder as the operations leave it, and what a power cut may take from it: the data
// written to a file since it was last synced (its size kept, with zeros, or not), half of the
// last write, and the names made since the folder was last synced (those made last, or one
// rename).
class FolderModel
{
public:
    struct Entry
    {
        int file;
        QByteArray content;
    };
    using State = QMap<QByteArray, Entry>; // by name
    using Names = QMap<QByteArray, int>;

    // The folder's files: name, inode and content. The syncs of the files given are left out,
    // and with folderSyncsLeftOut those of the folder: a wrong write path.
    FolderModel(const QList<std::tuple<QByteArray, qint64, QByteArray>> &files,
        const QSet<int> &syncsLeftOut = {}, bool folderSyncsLeftOut = false)
        : m_syncsLeftOut(syncsLeftOut)
        , m_folderSyncsLeftOut(folderSyncsLeftOut)
    {
        for (const auto &[name, inode, content] : files) {
            if (!m_fileOf.contains(inode)) {
                m_fileOf.insert(inode, m_data.size());
                m_data.append(content);
            }
            m_names.insert(name, m_fileOf.value(inode));
        }
        m_synced = m_data;
        m_durable = m_names;
    }

    void apply(const Operation &op)
    {
        m_torn.reset();
        if (op.kind == "syncdir") {
            if (!m_folderSyncsLeftOut) {
                m_durable = m_names;
                m_pending.clear();
            }
            return;
        }
        if (op.kind == "create") {
            m_fileOf.insert(op.inode, m_data.size());
            m_data.append(QByteArray());
            m_synced.append(QByteArray());
        }
        const int file = m_fileOf.value(op.inode, -1);
        if (op.namesFile()) {
            if (op.kind == "rename")
                m_renamed.insert(m_names.value(op.name));
            rename(m_names, op, file);
            m_pending.append({op, file});
            return;
        }
        if (file < 0)
            qFatal("%s of a file that was not seen", op.kind.constData());
        QByteArray &data = m_data[file];
        if (op.kind == "write") {
            m_torn = std::pair(file, written(data, op.offset, op.bytes.first(op.bytes.size() / 2)));
            data = written(data, op.offset, op.bytes);
        } else if (op.kind == "truncate") {
            data = data.first(std::min(data.size(), op.offset))
                       .append(QByteArray(std::max<qint64>(op.offset - data.size(), 0), '\0'));
        } else if (op.kind == "sync" && !m_syncsLeftOut.contains(file)) {
            m_synced[file] = data;
        }
    }

    // Every state a power cut just now may leave, with its kind.
    QList<std::pair<QString, State>> crashStates() const
    {
        QList<std::pair<QString, State>> states {{"all kept", state(m_names)}};
        if (m_torn)
            states.append({"last write torn", state(m_names, {*m_torn})});
        QMap<int, QByteArray> lost, zeros;
        for (const int file : QSet<int>(m_names.cbegin(), m_names.cend())) {
            if (m_data[file] == m_synced[file])
                continue;
            lost.insert(file, m_synced[file]);
            zeros.insert(file,
                written(QByteArray(m_data[file].size(), '\0'), 0, m_synced[file])
                    .first(m_data[file].size()));
            states.append({"unsynced data lost", state(m_names, {{file, lost[file]}})});
            states.append({"unsynced data zeros", state(m_names, {{file, zeros[file]}})});
        }
        if (lost.size() > 1) {
            states.append({"unsynced data lost", state(m_names, lost)});
            states.append({"unsynced data zeros", state(m_names, zeros)});
        }
        // The names made since the folder's sync reach the disk in order, or all but a rename.
        for (qsizetype i = 0; i < m_pending.size(); ++i) {
            states.append({"names unsynced", state(namesMade(i, -1))});
            if (m_pending[i].first.kind == "rename")
                states.append({"rename unsynced", state(namesMade(m_pending.size(), i))});
        }
        return states;
    }
    State kept() const { return state(m_names); }
    // What tells one state from another.
    static QByteArray fingerprint(const State &state)
    {
        QByteArray bytes;
        for (auto [name, entry] : state.asKeyValueRange())
            bytes += name + '\0' + QByteArray::number(entry.content.size()) + '\0' + entry.content;
        return bytes;
    }
    // The files that were renamed to another name: the new content of whole-file writes.
    const QSet<int> &renamed() const { return m_renamed; }

private:
    static QByteArray written(QByteArray data, qint64 offset, const QByteArray &bytes)
    {
        if (data.size() < offset + bytes.size())
            data.resize(offset + bytes.size(), '\0');
        return data.replace(offset, bytes.size(), bytes);
    }
    static void rename(Names &names, const Operation &op, int file)
    {
        if (op.kind == "create")
            names.insert(op.name, file);
        else if (op.kind == "rename" && names.contains(op.name))
            names.insert(op.to, names.take(op.name));
        else if (op.kind == "link" && names.contains(op.name))
            names.insert(op.to, names.value(op.name));
        else if (op.kind == "unlink")
            names.remove(op.name);
    }
    // The names synced, then the first of those made since, less one.
    Names namesMade(qsizetype count, qsizetype unmade) const
    {
        Names names = m_durable;
        for (qsizetype i = 0; i < count; ++i) {
            if (i != unmade)
                rename(names, m_pending[i].first, m_pending[i].second);
        }
        return names;
    }
    State state(const Names &names, const QMap<int, QByteArray> &changed = {}) const
    {
        State files;
        for (auto [name, file] : names.asKeyValueRange())
            files.insert(name, {file, changed.contains(file) ? changed[file] : m_data[file]});
        return files;
    }

    QHash<qint64, int> m_fileOf;
    QList<QByteArray> m_data, m_synced; // by file
    Names m_names, m_durable;
    QList<std::pair<Operation, int>> m_pending; // names made since the folder was synced
    std::optional<std::pair<int, QByteArray>> m_torn;
    QSet<int> m_renamed, m_syncsLeftOut;
    bool m_folderSyncsLeftOut;
};
