#pragma once
// Writing a delayed order as an order-entry station leaves it: the line file
// PhoneOrders\DS<k>.Pio, then the header PhoneOrders\DS<k>.PH. The header is
// what makes the order pending, so it appears last and whole: a delayed-send
// station never finds a header without its lines or half written.

#include <string>
#include <vector>

#include "platform/files/file_system.h"
#include "scheduler/orderfiles/header_file.h"

namespace korv {

// "DS" & one more than the highest delayed order number found in the folders
// PhoneOrders\ and PhoneOrders\Deleted\ (any extension, any letter case);
// "DS1" when there is none.
// Numbers of sent orders are not reused, so an archive is never overwritten.
std::string NextFreeDelayedOrderId(FileSystem& files, const std::string& data_root);

// Writes the order named by header.order_id. Raises 52 for an unsafe id and 58
// when a header or line file of that id already exists; file layer errors
// otherwise (76 when PhoneOrders\ does not exist).
void WriteDelayedOrder(FileSystem& files, const std::string& data_root, const OrderHeader& header,
                       const std::vector<std::string>& rows);

}  // namespace korv
