#!/bin/sh
# Builds the libFuzzer targets with clang: the host library once (sanitized and instrumented for
# coverage, through CMake), then each target with the module sources it exercises compiled in.
#
#   tests/fuzz_sources/build.sh [target...]     (default: every *_fuzz.cpp here)
#   out/fuzz/interpreter_fuzz -max_len=512 -timeout=10 out/fuzz/corpus/interpreter
set -eu

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
OUT=${OUT:-$ROOT/out/fuzz}
JOBS=${JOBS:-8}

cmake -S "$ROOT" -B "$OUT/host" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCADHOST_SANITIZE=ON -DCADHOST_TESTS=OFF \
    -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build "$OUT/host" --target cadhost -j"$JOBS" >/dev/null
LIB="$OUT/host/bin"

FLAGS="-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I$ROOT/host -I$ROOT/TamselDbx -DCADHOST_R16 -DZEFT_AUTOMATION -Wall -Wextra"

# Module sources for the targets that need the object enabler.
module_objects() {
    mkdir -p "$OUT/module"
    ls "$ROOT"/TamselDbx/*.cpp | xargs -P "$JOBS" -I{} sh -c \
        'clang++ '"$FLAGS"' -fsanitize=fuzzer-no-link -c "{}" -o "'"$OUT"'/module/$(basename "{}" .cpp).o"'
    ls "$OUT"/module/*.o
}

# The resource reader and image sources of the host, instrumented, for the resource targets.
resource_objects() {
    mkdir -p "$OUT/resources"
    ls "$ROOT"/host/win/rc*.cpp "$ROOT"/host/win/resource*.cpp | xargs -P "$JOBS" -I{} sh -c \
        'clang++ '"$FLAGS"' -fsanitize=fuzzer-no-link -c "{}" -o "'"$OUT"'/resources/$(basename "{}" .cpp).o"'
    ls "$OUT"/resources/*.o
}

# Host sources compiled into a target, instrumented, so that coverage guides it through them;
# the target's own copies take precedence over those of the library.
host_objects() {
    mkdir -p "$OUT/hostsrc"
    for source in "$@"; do
        clang++ $FLAGS -DCADHOST_BUILDING_HOST -fsanitize=fuzzer-no-link -c "$ROOT/host/$source" \
            -o "$OUT/hostsrc/$(basename "$source" .cpp).o"
        echo "$OUT/hostsrc/$(basename "$source" .cpp).o"
    done
}

targets=${*:-$(cd "$ROOT/tests/fuzz_sources" && ls *_fuzz.cpp | sed 's/\.cpp$//')}
for target in $targets; do
    extra=""
    case "$target" in
    interpreter_fuzz | entity_readers_fuzz | drawingfile_fuzz | dxfdrawing_fuzz) extra=$(module_objects) ;;
    # The drive mapping and the pattern matcher compiled in, so that the fuzzer sees their branches.
    paths_fuzz) extra="$ROOT/host/win/drives.cpp $ROOT/host/win/filesearch.cpp $ROOT/host/win/fileinfo.cpp" ;;
    rcscript_fuzz | resourceimage_fuzz) extra=$(resource_objects) ;;
    # The preview reader and the bitmap code compiled in, instrumented, over the library's.
    dwgpreview_fuzz)
        extra="$ROOT/host/db/dwgpreview.cpp $ROOT/host/db/dwglayout.cpp $ROOT/host/gi/dib.cpp \
            $(pkg-config --cflags --libs cairo)" ;;
    # The icon decoder and the bitmap code compiled in, instrumented, over the library's.
    icon_fuzz) extra="$ROOT/host/win/icons.cpp $ROOT/host/win/gdi.cpp $ROOT/host/win/bitmaps.cpp $ROOT/host/gi/dib.cpp \
        $(pkg-config --cflags --libs cairo)" ;;
    # The DIB reader, the blits and the drawing code compiled in, instrumented, over the library's.
    createdibitmap_fuzz) extra="$ROOT/host/win/bitmaps.cpp $ROOT/host/win/gdi.cpp $ROOT/host/gi/dib.cpp \
        $(pkg-config --cflags --libs cairo)" ;;
    savefiles_fuzz) extra="$ROOT/host/db/filereplace.cpp" ;;
    lisp_fuzz) extra=$(cd "$ROOT/host" && host_objects ed/lisp*.cpp) ;;
    dxftokens_fuzz) extra="$ROOT/host/db/dxftokens.cpp" ;;
    dlginit_fuzz) extra="$ROOT/host/win/dlginit.cpp" ;;
    previewimage_fuzz) extra="-I$ROOT/application $ROOT/application/browser/PreviewImage.cpp" ;;
    foldertree_fuzz) extra="-I$ROOT/application $ROOT/application/browser/FolderTree.cpp" ;;
    # The preview control, its gadget and the string loader compiled in, instrumented.
    gspreview_fuzz) extra="-I$ROOT/application $ROOT/application/preview/GsPreviewCtrl.cpp \
        $ROOT/application/preview/OrbitGadget.cpp $ROOT/application/frame/ResourceString.cpp" ;;
    # The rich-text reader and the code page table it uses compiled in, instrumented.
    rtf_fuzz) extra="$ROOT/host/win/rtfreader.cpp $ROOT/host/db/dxftext.cpp $(pkg-config --cflags --libs glib-2.0)" ;;
    esac
    # shellcheck disable=SC2086
    clang++ $FLAGS "$ROOT/tests/fuzz_sources/$target.cpp" $extra -L"$LIB" -lcadhost \
        -Wl,-rpath,"$LIB" -o "$OUT/$target"
    mkdir -p "$OUT/corpus/${target%_fuzz}"
    echo "$OUT/$target"
done
