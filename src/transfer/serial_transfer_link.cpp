#include "transfer/serial_transfer_link.h"

#include "transfer/transfer_state.h"

SerialTransferLink::SerialTransferLink(TransferState& state, const Options& options,
                                       const ActiveProfile& profile, PortMap ports,
                                       SerialView& view)
    : m_ports(std::move(ports)), m_link(state, options, profile, m_ports, view, m_sleeper)
{
}
