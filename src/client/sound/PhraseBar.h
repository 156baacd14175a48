#pragma once
// The row of phrase buttons `b_phrase1` to `b_phrase9` and the chatter sound button
// `b_phrase10` with its menu `popup_sounds`.

#include <QWidget>

namespace pelvo {

class ClientContext;
class SoundOptions;

class PhraseBar : public QWidget {
    Q_OBJECT
public:
    PhraseBar(ClientContext& ctx, SoundOptions& sounds, QWidget* parent = nullptr);
    ~PhraseBar() override;

    // Handler of CMD_playasound: slot "+" clip name "+".
    void playasound(const QString& payload);

    QString phrase(int n) const;              // hint of b_phrase<n>, n = 1..9
    void setPhrase(int n, const QString& text);

private:
    struct Impl;
    Impl* d;
};

} // namespace pelvo
