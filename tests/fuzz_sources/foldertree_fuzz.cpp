// libFuzzer target for the folder tree's path handling: the input is a list of paths, one a line,
// as the profile's folder and the drawing list hand them to the tree. Each path becomes current,
// a path given again adds nothing, and the tree never grows by more than the path's links.
//
// Build: tests/fuzz_sources/build.sh foldertree_fuzz
#include <cstddef>
#include <cstdint>
#include <string>
#include "browser/FolderTree.h"

namespace {
// The path as the tree keys it: runs of backslashes count as one, and a trailing one is not
// part of it.
CString key(const std::string& path) {
    std::string single;
    for (char c : path)
        if (c != '\\' || single.empty() || single.back() != '\\') single += c;
    CString text(single.c_str());
    if (text.GetLength() > 0 && text[text.GetLength() - 1] == '\\') text = text.Left(text.GetLength() - 1);
    return text;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;
    CTreeCtrlFolder tree;
    if (!tree.CreateEx(0, WC_TREEVIEW, "", WS_POPUP | WS_BORDER, CRect(0, 0, 10, 10), nullptr, 0)) return 0;
    tree.InitImageList();
    tree.FillRoot(nullptr);
    const std::string input(reinterpret_cast<const char*>(data), size);
    for (std::size_t start = 0; start <= input.size();) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        const std::string path = input.substr(start, end - start);
        start = end + 1;
        if (path.find('\0') != std::string::npos) continue;
        const UINT before = tree.GetCount();
        tree.SelectPath(path.c_str());
        const UINT after = tree.GetCount();
        std::size_t links = 0;
        for (char c : path) links += c == '\\';
        if (after > before + links + 1) __builtin_trap();
        if (path.empty()) continue;
        if (key(std::string(tree.GetSelectedPath())).CompareNoCase(key(path)) != 0) __builtin_trap();
        tree.SelectPath(path.c_str());
        if (tree.GetCount() != after) __builtin_trap();
    }
    tree.DestroyWindow();
    return 0;
}
