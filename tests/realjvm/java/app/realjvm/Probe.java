package realjvm;

// What a launch gave main, one line each: the arguments as UTF-16 code units (so that no charset
// between the machine and the test can change them), a system property, a class of each further
// class-path entry, the file that leads the class path. On request ("probe.depth") a recursion of that
// many calls on main's own thread, and a wait for a file to appear ("probe.gate"). Then a non-daemon
// thread that finishes only after main has ended, and the end that the property "probe.end" asks
// for: "return", "exit:N" or "throw".
public class Probe {
    private static final Object lock = new Object();
    private static boolean mainEnded;

    public static void main(String[] args) throws Exception {
        System.out.println("count " + args.length);
        for (String argument : args) System.out.println("arg" + units(argument));
        String property = System.getProperty("probe.value");
        System.out.println("property" + (property == null ? " null" : units(property)));
        System.out.println("class path " + Helper.name() + " "
                + Class.forName("realjvm.plugin.Plugin").getMethod("name").invoke(null));
        String first = System.getProperty("java.class.path").split(";")[0];
        System.out.println("class path leads with " + first.substring(first.lastIndexOf('\\') + 1));
        String depth = System.getProperty("probe.depth");
        if (depth != null) recurse(Integer.parseInt(depth));
        String gate = System.getProperty("probe.gate");
        if (gate != null) waitFor(new java.io.File(gate));
        Thread late = new Thread() {
            public void run() {
                synchronized (lock) {
                    while (!mainEnded) {
                        try {
                            lock.wait();
                        } catch (InterruptedException e) {
                            return;
                        }
                    }
                }
                System.out.println("thread after main");
                System.out.flush();
            }
        };
        late.start();
        String end = System.getProperty("probe.end", "return");
        System.out.println("main ends: " + end);
        System.out.flush();
        synchronized (lock) {
            mainEnded = true;
            lock.notifyAll();
        }
        if (end.startsWith("exit:")) {
            late.join();  // so that its line is there before the process ends
            System.exit(Integer.parseInt(end.substring(5)));
        }
        if (end.equals("throw")) {
            throw new IllegalStateException("probe failed \u00e9t\u00e9 \u041f\u0440\u0438\u0432\u0435\u0442 \u4e16\u754c",
                    new java.io.IOException("disk gone"));
        }
    }

    private static int reached;

    private static void down(int calls) {
        ++reached;
        if (calls > 1) down(calls - 1);
    }

    // The machine bounds its stack by the "-Xss" size from where the thread entered it; a recursion
    // beyond the stack the thread really has ends the process instead of throwing.
    static void recurse(int calls) {
        try {
            down(calls);
            System.out.println("recursed " + reached);
        } catch (StackOverflowError e) {
            System.out.println("stack overflow after " + reached);
        }
        System.out.flush();
    }

    // Bounded by "probe.wait": a file that never comes fails the test instead of hanging it.
    static void waitFor(java.io.File file) throws InterruptedException {
        System.out.println("main waits");
        System.out.flush();
        long limit = System.currentTimeMillis() + Long.parseLong(System.getProperty("probe.wait", "60000"));
        while (!file.exists() && System.currentTimeMillis() < limit) Thread.sleep(20);
    }

    static String units(String text) {
        StringBuilder line = new StringBuilder();
        for (int i = 0; i < text.length(); ++i) line.append(' ').append(Integer.toHexString(text.charAt(i)));
        return line.toString();
    }
}
