# The folders and sizes every benchmark script takes, sourced with its own arguments: the build
# folder (KOLVAR_BENCH_BUILD), the folder of the registers (KOLVAR_BENCH_DATA) and the sizes given,
# 100000 and 1000000 when none are.
root=$(dirname "$here")
build=${KOLVAR_BENCH_BUILD:-$root/build-bench}
data=${KOLVAR_BENCH_DATA:-$here/data}
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(100000 1000000)
