package realjvm;

// As SingleVoid, with the variant whose result is the later start's exit code.
public class SingleInt {
    public static void main(String[] args) throws Exception {
        SingleVoid.main(args);
    }

    public static int secondaryMain(String[] args) {
        SingleVoid.report(args);
        return 40 + args.length;
    }
}
