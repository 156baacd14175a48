#pragma once
// The sound and speed options of the main menu "Options" ("Play Sounds", "Player Phrase
// Sounds", "Turn Sound", "Bot and Delay Speed") and the event sound player `playsounds`.

#include <QObject>

class QAction;
class QMenu;

namespace pelvo {

class ClientSession;
class SoundPlayer;

class SoundOptions : public QObject {
    Q_OBJECT
public:
    // The check marks show the session's settings; a choice changes them and saves the file.
    explicit SoundOptions(ClientSession& session, QObject* parent = nullptr);
    ~SoundOptions() override;

    // Appends PlaySounds1, PlayerPhraseSounds1, TurnSound1 (Classic1, New1) and BotSpeed1
    // (Slow1, Normal1, Fast1) to the menu, in that order.
    void addOptionsItems(QMenu* options);

    // Event sound by name, only with "Play Sounds" checked; asynchronous, replaces a playing clip.
    void playsounds(const QString& name);
    // Any clip by name (chatter sounds), regardless of "Play Sounds".
    void playclip(const QString& name);

    // Setters change the session's settings; they neither write the settings file nor play.
    bool playSounds() const;
    void setPlaySounds(bool on);
    bool playerPhraseSounds() const;
    void setPlayerPhraseSounds(bool on);
    int turnSound() const; // tag of TurnSound1: 0 Classic, 1 New
    void setTurnSound(int tag);
    int botSpeed() const; // tag of BotSpeed1 in ms: 2000, 1000 or 500 (0 until loaded)
    void setBotSpeed(int ms);

    SoundPlayer& player();

private slots:
    void showSettings();
    // Menu handlers; a checkable item has already flipped its own check mark when they run.
    void PlaySounds1Click();
    void PlayerPhraseSounds1Click();
    void Classic1Click(QAction* item);
    void Fast1Click(QAction* item);

private:
    struct Impl;
    Impl* d;
};

} // namespace pelvo
