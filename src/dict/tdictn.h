#pragma once

#include "dict/wordlistfile.h"

#include <QByteArrayView>
#include <QObject>
#include <QString>

#include <type_traits>

// The word dictionary: decides whether a word is in the game's English word
// list. At creation it makes sure the list file exists in the working
// directory (writing it out of the program's resources when it does not),
// keeps it open for the whole run and answers each query with a binary search
// over the file's 15-byte records.
class TDictn : public QObject {
    Q_OBJECT
public:
    // Resource holding the word list that ships with the program.
    static const QString kDefaultResource;
    // Name of the list file in the working directory.
    static const QString kDefaultFileName;

    // Opens the shipped list as the file "English"; shows a message once when that fails.
    explicit TDictn(QObject *parent = nullptr);
    // Opens fileName, writing it from resourceName first when it does not exist.
    // When fileName cannot be written, the list is written under scratchPath()
    // instead; raises Error naming both places when neither can be written.
    TDictn(const QString &resourceName, const QString &fileName, QObject *parent = nullptr);
    // Closes the file and deletes it when this dictionary wrote it.
    ~TDictn() override;

    // Number (from 0) of the first record equal to the query, or -1: none, or no list.
    qint64 FindWord(const QString &word) const;
    // True when the word, blanks around it removed and in capitals, is in the list.
    bool IsWord(const QString &word) const { return FindWord(word) >= 0; }
    // The file the list is read from (fileName, or its stand-in under scratchPath()).
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
    void OpenWordList();
    void placeWordList();
    void writeFromResource(const QString &fileName);
    qint64 search(const unsigned char *key) const;
    qint64 firstOfEqual(qint64 match, const unsigned char *key) const;

    QString resourceName_;
    QString fileName_;
    WordListFile file_;
    bool wroteFile_ = false;
    qint64 lastRecord_ = -1;
};
