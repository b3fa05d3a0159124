#!/usr/bin/env bash
# Installs into a scratch prefix and checks that a desktop and a software
# centre find the program, its menu entry, its icon and its description there;
# then builds the Debian package and checks what it holds and declares.
set -euo pipefail
build=$1
version=$2
id=org.example.veilcut
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" > /dev/null
test -x "$prefix/bin/Veilcut"
# The lower-case command is a link to the program.
test "$(readlink "$prefix/bin/veilcut")" = Veilcut
test "$("$prefix/bin/veilcut" --version)" = "Veilcut $version"
desktop-file-validate "$prefix/share/applications/$id.desktop"
grep -qx 'Exec=Veilcut %f' "$prefix/share/applications/$id.desktop"
for type in image/jpeg image/bmp image/png image/webp image/heif image/heic image/tiff; do
  grep -Eq "^MimeType=(.*;)?$type;" "$prefix/share/applications/$id.desktop" || { echo "MimeType lacks $type"; exit 1; }
done
for size in 16 24 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/veilcut.png"
  file "$icon" | grep -q "PNG image data, $size x $size"
done
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" > /dev/null
test -s "$prefix/share/doc/veilcut/copyright"
# The face model and the profile cascade beside the program, the very files the build put there.
for data in face_detection_back_256x256_barracuda.onnx haarcascade_profileface.xml; do
  cmp "$prefix/share/veilcut/$data" "$build/share/veilcut/$data"
done

# The package puts the same files under /usr.
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/package" > /dev/null
deb="$scratch/package/veilcut_${version}_$(dpkg --print-architecture).deb"
diff <(cd "$prefix" && find . ! -type d | sed 's|^\./|./usr/|' | sort) \
     <(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sort)
# grep -q would end the listing early, which pipefail takes for a failure.
listing=$(dpkg-deb -c "$deb")
grep -q '\./usr/bin/veilcut -> Veilcut$' <<< "$listing"
test "$(dpkg-deb -f "$deb" Package)" = veilcut
test "$(dpkg-deb -f "$deb" Version)" = "$version"
test "$(dpkg-deb -f "$deb" Section)" = graphics
test -n "$(dpkg-deb -f "$deb" Maintainer)"
# The libraries it needs, found by dpkg-shlibdeps; Qt's own package brings the xcb platform plugin.
depends=$(dpkg-deb -f "$deb" Depends)
for package in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libfreeimage3 libxcb1 libwayland-client0 libwebp7 libtiff6 libheif1 libopencv-dnn406 libopencv-objdetect406; do
  grep -Eq "(^|, )$package( |,|$)" <<< "$depends" || { echo "Depends lacks $package: $depends"; exit 1; }
done
# Without Qt's Wayland platform a Wayland desktop runs it through XWayland.
test "$(dpkg-deb -f "$deb" Recommends)" = qt6-wayland || { echo "Recommends: $(dpkg-deb -f "$deb" Recommends)"; exit 1; }
echo "installed, packaged and valid"
