# The simulation's state after 300 frames, pinned for two seeds and two frame steps; sourced by
# the capture's digests.sh and by sim_state's. The state depends on nothing but the seed and the
# frame times, so these digests hold on every machine, and one bit changed anywhere in the
# simulation changes them. When a change of the simulation is intended, re-pin them: from the
# source tree, for each SEED and STEP below,
#   build/default/particles-capture --seed SEED --step-ms STEP --frames 300 --every 300 \
#       --state /tmp/state.bin && sha256sum /tmp/state.bin
# and say in the commit why the state had to change.
pinned_states=(
    "1 16 01fe6c2892d41ee5a4e537f5d62bc2ceef446d6b06c5daa2a3ed701763d97a1f"
    "1 33 8d6f477761e68b34cd57acfe1bb897d2b934ef969d3d2a2542df951db3d63ec2"
    "20261208 16 daea63645d58685087c1578829b6d0acc751b25d75cf6ec2bbd013cfbf8f27e5"
    "20261208 33 c987339001c365fddf886c515f3b351a70148c7d02313fcdab2aa7266a8f237c"
)

# check_pinned_states MAKE DIR: for each pinned seed and step, `MAKE SEED STEP FILE` writes the
# state of 300 frames to FILE (DIR/state-SEED-STEP.bin), whose digest must be the pinned one.
# Says "ok" or "FAIL" for each; returns 1 when any failed.
check_pinned_states() {
    local make=$1 dir=$2 entry seed step expected state actual failed=0
    for entry in "${pinned_states[@]}"; do
        read -r seed step expected <<<"$entry"
        state=$dir/state-$seed-$step.bin
        if ! "$make" "$seed" "$step" "$state"; then
            echo "FAIL: seed $seed, step $step ms: no state was written"
            failed=1
            continue
        fi
        actual=$(sha256sum <"$state" | cut -d' ' -f1)
        if [ "$actual" = "$expected" ]; then
            echo "ok: seed $seed, step $step ms: $actual"
        else
            echo "FAIL: seed $seed, step $step ms: state digest $actual, pinned $expected"
            failed=1
        fi
    done
    return "$failed"
}
