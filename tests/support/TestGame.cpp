#include "TestGame.h"

#include "app/Main.h"

#include <QTimer>
#include <algorithm>
#include <climits>

GameDriver::GameDriver(FakeClock &clock, TMainForm &form) : m_clock(clock), m_form(&form)
{
    for (QTimer *t : {form.Timer1, form.Timer2, form.WaitTimer, form.HowMuchTimer})
        t->stop();
    addTimer(50, [&form] { form.WaitTimerTimer(); });
    addTimer(100, [&form] { form.Timer1Timer(); });
    addTimer(1000, [&form] { form.HowMuchTimerTimer(); });
    addTimer(5000, [&form] { form.Timer2Timer(); });
    m_shot = [&form] { form.ReactionTimerTimer(); };
    takeWindowShot();
}

GameDriver::GameDriver(FakeClock &clock, Session &session) : m_clock(clock), m_session(&session)
{
    addTimer(50, [this] { follow(m_session->CountDown(50)); });
    addTimer(100, [this] { m_session->Tick(); });
    addTimer(5000, [this] { m_session->ThinkCue(); });
    m_shot = [this] { follow(m_session->Advance()); };
}

void GameDriver::addTimer(uint32_t interval, std::function<void()> fire)
{
    m_timers.push_back(Timer{interval, m_clock.now + interval, std::move(fire)});
}

void GameDriver::takeWindowShot()
{
    if (!m_form || !m_form->ReactionTimer->isActive()) return;
    follow(m_form->ReactionTimer->interval());
    m_form->ReactionTimer->stop();
}

void GameDriver::follow(int32_t ms)
{
    if (ms < 0) return;
    m_shotArmed = true;
    m_shotDue = m_clock.now + uint32_t(ms);
}

AnswerOutcome GameDriver::submit(int32_t value)
{
    const AnswerOutcome out = m_session->Submit(value);
    follow(m_session->Advance());
    return out;
}

void GameDriver::pass(int ms)
{
    takeWindowShot();
    const uint32_t end = m_clock.now + uint32_t(ms);
    for (;;) {
        auto wait = [&](uint32_t due) { return std::max<int32_t>(0, int32_t(due - m_clock.now)); };
        int32_t soonest = INT32_MAX;
        Timer *next = nullptr;
        // The course's single shot goes first when it falls due with a timer.
        if (m_shotArmed) soonest = wait(m_shotDue);
        for (Timer &t : m_timers) {
            if (wait(t.Due) < soonest) {
                soonest = wait(t.Due);
                next = &t;
            }
        }
        if (soonest > int32_t(end - m_clock.now)) break;
        m_clock.now += uint32_t(soonest);
        if (next) {
            // Like a toolkit timer, one that fell behind skips what it missed.
            next->Due += next->Interval;
            if (int32_t(next->Due - m_clock.now) <= 0) next->Due = m_clock.now + next->Interval;
            next->Fire();
        } else {
            m_shotArmed = false;
            m_shot();
        }
        takeWindowShot();
        if (afterEach) afterEach();
    }
    m_clock.now = end;
}

bool GameDriver::passWhile(const std::function<bool()> &busy, int limitMs)
{
    for (int waited = 0; busy(); waited += 50) {
        if (waited >= limitMs) return false;
        pass(50);
    }
    return true;
}
