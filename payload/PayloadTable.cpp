#include "payload/Embedded.h"
#include "payload/Payload.h"

QUORVANE_EMBEDDED(payload_program);
QUORVANE_EMBEDDED(payload_answer);
QUORVANE_EMBEDDED(payload_install);
QUORVANE_EMBEDDED(payload_tutorial);

namespace payload {
namespace {

// Addresses only: the table is fixed at link time and needs no start-up code.
constexpr PayloadFile kPayloadFiles[] = {
    {"\\VelkTest.exe", payload_program_bytes, payload_program_end},
    {"\\Answer.ini", payload_answer_bytes, payload_answer_end},
    {"\\Install.ini", payload_install_bytes, payload_install_end},
    {"\\Help.avi", payload_tutorial_bytes, payload_tutorial_end},
};

}  // namespace

std::span<const PayloadFile> PayloadFiles() { return kPayloadFiles; }

}  // namespace payload
