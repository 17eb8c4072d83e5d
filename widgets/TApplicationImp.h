#pragma once
// The platform side of the toolkit's application object.

class TApplicationImp {
public:
    TApplicationImp() = default;
    virtual ~TApplicationImp();
    TApplicationImp(const TApplicationImp&) = delete;
    TApplicationImp& operator=(const TApplicationImp&) = delete;

    virtual bool registerClass() { return false; }
    virtual int run() { return 0; }
};
