#!/usr/bin/env bash
# Installs the Debian 12 packages the project builds and tests with.
# Idempotent: prints nothing and touches nothing when all are present.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev libsamplerate0-dev
  libtinyxml-dev uuid-dev locales ccache clang-format
  libsndfile1-dev libmad0-dev libmp3lame-dev sox liboscpack-dev liblo-tools
  juce-modules-source fst-dev xvfb libasound2-dev libfreetype-dev
  libfontconfig1-dev libx11-dev libxrandr-dev libxinerama-dev libxcursor-dev
  libxext-dev libxcomposite-dev libgl-dev duktape-dev
  # xvfb-run needs xauth; the plug-in hosting tests load real LV2 and VST effects.
  xauth x42-plugins lsp-plugins-vst
)

sudo=""
if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi

# The text-form tests switch to a locale whose decimal separator is ",".
ensure_comma_locale() {
  locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && return 0
  command -v localedef >/dev/null 2>&1 || return 0
  $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8 >/dev/null 2>&1 || true
}

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if [[ ${#missing[@]} -eq 0 ]]; then ensure_comma_locale; exit 0; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
ensure_comma_locale
