// A flag raised for as long as a piece of work runs, lowered however the work ends (an error
// included), so a failure cannot leave it raised and silence what checks it.
#pragma once

namespace telvora {

class FlagWhile {
public:
    explicit FlagWhile(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagWhile() { flag_ = false; }
    FlagWhile(const FlagWhile&) = delete;
    FlagWhile& operator=(const FlagWhile&) = delete;

private:
    bool& flag_;
};

}  // namespace telvora
