tarnwell_module(posix DEPS tw_platform)
