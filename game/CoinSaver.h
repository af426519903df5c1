#pragma once

class CoinBank;
class Reporter;

// Saves the coin bank without ever holding the game up. A save that fails (a full disk) is
// told once; the coins stay in memory, and every later save tries again until one works.
class CoinSaver
{
public:
    CoinSaver(CoinBank &bank, Reporter &reporter) : m_bank(bank), m_reporter(reporter) {}

    // Saves the bank; false when it is kept in memory only.
    bool Save();
    // Coins in memory are not in the file yet.
    bool Unsaved() const { return m_unsaved; }
    // Reads the file again, as another game on it may have paid meanwhile; coins not saved
    // yet are saved first, and while they cannot be, the file is left unread.
    void Reload();

private:
    CoinBank &m_bank;
    Reporter &m_reporter;
    bool m_unsaved = false;
    bool m_told = false;
};
