#include "transfer/transfer_state.h"

#include "transfer/transfer_log.h"

void TransferState::log(const QString& message)
{
    LogText += LogLine(message);
}
