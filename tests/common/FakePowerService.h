#pragma once

#include "platform/PowerService.h"

namespace vantoro::test {

// Records power-off requests and answers a preset result; never reaches the system.
class FakePowerService final : public PowerService
{
public:
    PowerOffResult requestPowerOff() override
    {
        ++requests;
        return answer;
    }

    int requests = 0;
    PowerOffResult answer{true, {}};
};

} // namespace vantoro::test
