#pragma once

#include "platform/sleeper.h"
#include "serial/serial_view.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Records what the serial link shows; answers the selection dialog.
class RecordingSerialView : public SerialView
{
public:
    void setDsrLamp(bool on) override { lamps.append(on ? "DSR blue" : "DSR red"); }
    void setCtsLamp(bool on) override { lamps.append(on ? "CTS ●" : "CTS ○"); }
    int showBox(const BoxRequest& request) override
    {
        boxes.append(request);
        return BoxButton::Ok;
    }
    std::optional<QString> askSelectionNumber() override
    {
        ++selectionAsked;
        return selectionAnswer;
    }

    QStringList boxTexts() const
    {
        QStringList texts;
        for (const BoxRequest& box : boxes)
            texts.append(box.text);
        return texts;
    }

    QStringList lamps;
    QList<BoxRequest> boxes;
    std::optional<QString> selectionAnswer;
    int selectionAsked = 0;
};

// Records the waits instead of sleeping; `onSleep` lets a test see what had
// happened on the line by then.
class RecordingSleeper : public Sleeper
{
public:
    void sleepMs(int milliseconds) override
    {
        sleeps.append(milliseconds);
        if (onSleep)
            onSleep(milliseconds);
    }
    QList<int> sleeps;
    std::function<void(int)> onSleep;
};
