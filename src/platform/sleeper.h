#pragma once

#include <chrono>
#include <thread>

// A fixed wait of the transfer thread (the 3-second pauses of the port
// selection, the 4-second close). Behind an interface so tests do not sleep.
class Sleeper
{
public:
    virtual ~Sleeper() = default;
    virtual void sleepMs(int milliseconds) = 0;
};

class ThreadSleeper : public Sleeper
{
public:
    void sleepMs(int milliseconds) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};
