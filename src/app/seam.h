#pragma once

namespace zelvora {

// A replaceable service: the installed implementation, or the real one when
// none is installed. Message boxes, the printer and the help system go
// through one each, so that tests can answer in their place.
template <typename Interface, typename Real>
class Seam
{
public:
    Interface &get()
    {
        static Real real;
        return m_installed ? *m_installed : real;
    }
    // nullptr restores the real one; the caller keeps ownership.
    void install(Interface *replacement) { m_installed = replacement; }

private:
    Interface *m_installed = nullptr;
};

} // namespace zelvora
