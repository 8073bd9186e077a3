#pragma once

#include <QString>

#include <array>
#include <functional>
#include <optional>

class Clock;
class Dictionary;
class MessageBoxes;
class SecurityChange;

// The rules of the security settings dialog without its window: the password box and its
// filter, suggestion, expiry, the reach options, Reset and Accept. The window forwards its
// events here and shows state() after each.
class SecurityForm
{
public:
    // The reach options by their level: "None" 0, "Program and DBase" 1, "Program Only" 2,
    // "Program and DBase, sealed" 3.
    static constexpr int noReach = -1;

    struct State
    {
        QString password; // Text1
        QString lengthLabel; // Label2; empty until the password box changed: its caption stays
        bool suggest = false; // Check1 "Sugest Password"; enables "Go" and the levels
        int level = 0; // Option1..3, 0 for none; the length box is enabled at level 3
        QString length; // Text3
        bool doNotExpire = true; // Check2
        bool doNotExpireEnabled = true;
        QString expiry; // Text2
        bool expiryEnabled = false;
        int reach = noReach;
        std::array<bool, 4> reachEnabled {}; // by level
        // Opened at the sealed level, the box is empty and stands for the password in force
        // until it changes.
        bool passwordKept = false;
    };
    // Asks the master password in force again; none when the user gave it up.
    using PasswordQuestion = std::function<std::optional<QString>()>;

    SecurityForm(SecurityChange &change, const Clock &clock, MessageBoxes &messages,
        const Dictionary &dictionary);

    const State &state() const { return m_state; }
    void setPasswordQuestion(PasswordQuestion question) { m_askPassword = std::move(question); }

    // Opening: the stored reach level selected, then the password box given the key (which
    // selects "Program Only"), then the stored level selected again. At the sealed level there
    // is no key: the box stays empty and every reach option can be chosen.
    void open(const QString &reach, const QString &key);
    // The box's password wiped, where the window's box holds it too: when the dialog closes.
    void forgetPassword();
    static constexpr int sealedReach = 3;

    // The box texts as typed; a returned value is the caret after the box's rule changed the
    // text: characters that the configuration line cannot hold are refused, and told, in the
    // password box; the length box keeps only digits.
    std::optional<int> Text1_Change(const QString &text);
    std::optional<int> Text3_Change(const QString &text);
    void Text2_Change(const QString &text) { m_state.expiry = text; }
    void Check1_Click(bool checked);
    void selectLevel(int level);
    void selectReach(int reach);
    // True when the focus moves into the date box.
    bool Check2_Click(bool checked);
    void NormaliseExpiryDate();
    void SuggestPassword();
    void Command3_Click();
    // Accept; true when the dialog closes. A weak password at the sealed level is told, and
    // kept when Accept is pressed again with it. Opened at the sealed level, it first asks the
    // master password in force and changes nothing unless the answer opens the sealed file.
    bool Command2_Click();

private:
    // The master password in force, asked again and checked; none when it was not given or
    // is wrong (told).
    std::optional<QString> passwordInForce();
    // The password box's rules for its new text: reach options, expiry, length label. A new
    // password keeps the sealed level when it was selected or stored.
    void setPassword(const QString &text);
    void setDoNotExpire(bool checked);

    SecurityChange &m_change;
    const Clock &m_clock;
    MessageBoxes &m_messages;
    const Dictionary &m_dictionary;
    PasswordQuestion m_askPassword;
    State m_state;
    int m_storedReach = noReach;
    QString m_weakPasswordTold; // kept when accepted again
};
