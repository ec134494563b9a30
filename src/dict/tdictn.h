#pragma once

#include "common/runtimefile.h"
#include "dict/wordlistfile.h"

#include <QByteArrayView>
#include <QObject>
#include <QString>

#include <memory>
#include <type_traits>

// The word dictionary: decides whether a word is in the game's English word
// list. At creation it writes the list out of the program's resources into a
// file of its own in the user's runtime folder (never the working folder, and
// never a file that exists already), keeps it open for the whole run and
// answers each query with a binary search over the file's 15-byte records.
class TDictn : public QObject {
    Q_OBJECT
public:
    // Resource holding the word list that ships with the program.
    static const QString kDefaultResource;
    // The list file's name in the runtime folder: "lexiclash-English-" and six characters.
    static const QString kFileBase;

    // Writes the shipped list into the runtime folder; shows a message once when
    // the list cannot be opened, raises Error when it cannot be written.
    explicit TDictn(QObject *parent = nullptr);
    // Writes the list of resourceName into a new file of its own in folder,
    // after removing the files there of copies that ended without removing theirs.
    TDictn(const QString &resourceName, const QString &folder, QObject *parent = nullptr);
    // Reads the existing list file listFile, which it never writes nor removes.
    explicit TDictn(const QString &listFile, QObject *parent = nullptr);
    // Closes the file, and removes it when this dictionary wrote it.
    ~TDictn() override;

    // Number (from 0) of the first record equal to the query, or -1: none, or no list.
    qint64 FindWord(const QString &word) const;
    // True when the word, blanks around it removed and in capitals, is in the list.
    bool IsWord(const QString &word) const { return FindWord(word) >= 0; }
    // The file the list is read from.
    QString fileName() const { return fileName_; }
    // True when the list file was opened at creation.
    bool isOpen() const { return file_.isOpen(); }
    // Number of records in the list file (0 when it is not open).
    qint64 recordCount() const { return file_.recordCount(); }

    // Calls visit(word) or visit(word, record) for every stored word that begins
    // with prefix (blanks around it removed, any case), each once, in list
    // order; word is in capitals without padding and valid only during the
    // call, record its number as FindWord gives it. visit may return false to
    // stop. An empty prefix or a list that is not open visits nothing.
    template <typename Visit> void forEachWithPrefix(const QString &prefix, Visit &&visit) const
    {
        walkPrefix(
            prefix,
            [](void *context, QByteArrayView word, qint64 record) {
                auto &f = *static_cast<std::remove_reference_t<Visit> *>(context);
                if constexpr (std::is_invocable_v<Visit &, QByteArrayView, qint64>) {
                    if constexpr (std::is_same_v<
                                      std::invoke_result_t<Visit &, QByteArrayView, qint64>, bool>)
                        return f(word, record);
                    else
                        return f(word, record), true;
                } else if constexpr (std::is_same_v<std::invoke_result_t<Visit &, QByteArrayView>,
                                                    bool>) {
                    return f(word);
                } else {
                    return f(word), true;
                }
            },
            &visit);
    }

private:
    using Visitor = bool (*)(void *context, QByteArrayView word, qint64 record);

    void walkPrefix(const QString &prefix, Visitor visit, void *context) const;
    template <typename Body> bool readRecords(Body &&body) const;
    qint64 firstWithPrefix(const unsigned char *key, int length) const;
    void OpenWordList(const QString &resourceName, const QString &folder);
    void showNotFound() const;
    qint64 search(const unsigned char *key) const;
    qint64 firstOfEqual(qint64 match, const unsigned char *key) const;

    QString fileName_;
    std::unique_ptr<RuntimeFile> written_;
    WordListFile file_;
    qint64 lastRecord_ = -1;
};
