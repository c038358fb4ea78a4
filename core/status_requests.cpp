#include "status_requests.h"

#include "byte_names.h"

Bytes statusRequest(StatusRequest which)
{
    return {esc::DLE, esc::EOT, std::uint8_t(which)};
}

Bytes idRequest(IdRequest which)
{
    return {esc::GS, 'I', std::uint8_t(which)};
}

Bytes paperSensorRequest()
{
    return {esc::GS, 'r', 0x01};
}

bool isStatusRequestNumber(unsigned n)
{
    return n >= 1 && n <= 4;
}

bool isIdRequestNumber(unsigned n)
{
    return (n >= 1 && n <= 3) || (n >= 65 && n <= 69);
}
