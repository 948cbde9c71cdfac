tarnwell_module(dialog DEPS tw_host tw_platform TEST_DEPS tw_platform)
