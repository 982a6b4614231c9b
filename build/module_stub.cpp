// Keeps a module target buildable while it has no sources of its own.
namespace { [[maybe_unused]] int moduleStub = 0; }
