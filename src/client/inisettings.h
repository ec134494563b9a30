#pragma once

#include <QString>
#include <QStringList>

class ChatMenus;
class ChatPane;
class QWidget;
class Tgamestart;
struct ClientState;

// The main window's keys of the settings file "quillmarklobby.ini" (in the
// data folder, section sectionname): which key holds which option, the order
// they are read in, their defaults and fallbacks. Every read or write opens
// the file afresh, so other sections and keys (the lobby's) are kept.
class IniSettings {
public:
    // The file name, in dataFolder().
    static const QString kFileName;

    // What the settings are read into and written from; gamestart may be
    // missing, and then its three keys are neither read nor written.
    struct Parts {
        QWidget *window = nullptr;
        ChatMenus *menus = nullptr;
        ChatPane *chat = nullptr;
        Tgamestart *gamestart = nullptr;
    };

    IniSettings(const Parts &parts, ClientState &state);

    // The settings file's full path.
    static QString filePath();
    // Reads every key of the section and applies it; a missing file, key or
    // unreadable value gives the key's default. Sets the stored geometry.
    void load();
    // Writes every key but the phrases, from the options in force, in one
    // replacement of the file; raises Error "Unable to write to <path>".
    void save();
    // Writes the ten "Phrase" keys (empty texts included) in one replacement
    // of the file; raises Error "Unable to write to <path>".
    static void savePhrases(const QString &section, const QStringList &phrases);

private:
    Parts parts_;
    ClientState &state_;
};
